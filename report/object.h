/// Serializable objects: the CObject base, the runtime class records that name
/// a class in an archive and create it by that name, and the two macros that
/// give a class its record.
///
/// Registration and the static linker: a class's CRuntimeClass object
/// registers itself by name when it is constructed, which happens during static
/// initialisation of the object file where IMPLEMENT_SERIAL defines it. A
/// static library member is linked only when something refers to it, so a class
/// that no code names would be missing from the by-name registry. The records
/// avoid that by construction: every container reads its elements with
/// RUNTIME_CLASS(Element) as the expected class, so the object file defining a
/// class a reader can meet is always referred to by the code that reads its
/// container, and gets linked (with its registration) whenever that code does.
#pragma once

#include "win32_api.h"

class CArchive;
class CObject;

/// Marks a class whose reader accepts any stored schema number.
constexpr UINT VERSIONABLE_SCHEMA = 0x80000000u;
/// Schema of a class that has no archive form.
constexpr UINT NOT_SERIALIZABLE_SCHEMA = 0xFFFFu;

/// The runtime record of one class: its name in archives, its schema (possibly
/// OR VERSIONABLE_SCHEMA), how to create an empty object, and its base class.
struct CRuntimeClass {
  CRuntimeClass(const char* lpszClassName, UINT wSchema, CObject* (*pfnCreateObject)(),
                const CRuntimeClass* pBaseClass);
  CRuntimeClass(const CRuntimeClass&) = delete;
  CRuntimeClass& operator=(const CRuntimeClass&) = delete;

  /// A new empty object of this class, or nullptr for a class without one.
  CObject* CreateObject() const;
  /// TRUE when this class is pBaseClass or derives from it.
  BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
  /// The registered class of that name (exact, case-sensitive), or nullptr.
  static const CRuntimeClass* FromName(const char* lpszClassName, size_t nLength);

  const char* const m_lpszClassName;
  const UINT m_wSchema;
  CObject* (*const m_pfnCreateObject)();
  const CRuntimeClass* const m_pBaseClass;

 private:
  const CRuntimeClass* m_pNextClass;  // the registry is a list threaded through the records
};

/// Base of every serializable class. The virtual slots come in this order:
/// GetRuntimeClass, destructor, Serialize, AssertValid, Dump.
class CObject {
 public:
  static const CRuntimeClass classCObject;
  static const CRuntimeClass* GetThisClass() { return &classCObject; }

  virtual const CRuntimeClass* GetRuntimeClass() const;
  virtual ~CObject() = default;
  /// Writes the object's record (store) or reads it back (load).
  virtual void Serialize(CArchive& ar);
  virtual void AssertValid() const {}
  virtual void Dump() const {}

  /// TRUE when the object's class is pClass or derives from it.
  BOOL IsKindOf(const CRuntimeClass* pClass) const;

 protected:
  CObject() = default;
  CObject(const CObject&) = default;
  CObject& operator=(const CObject&) = default;
};

/// The runtime class record of a class.
#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

/// In the class body: the class has a runtime record and can be created by name.
#define DECLARE_SERIAL(class_name)                                 \
 public:                                                           \
  static const CRuntimeClass class##class_name;                    \
  static const CRuntimeClass* GetThisClass() { return &class##class_name; } \
  static CObject* CreateObject();                                  \
  const CRuntimeClass* GetRuntimeClass() const override;

/// In one .cpp file: defines (and so registers) the class's runtime record.
#define IMPLEMENT_SERIAL(class_name, base_class_name, wSchema)                          \
  CObject* class_name::CreateObject() { return new class_name; }                       \
  const CRuntimeClass class_name::class##class_name(#class_name, wSchema,               \
                                                    &class_name::CreateObject,          \
                                                    RUNTIME_CLASS(base_class_name));    \
  const CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }
