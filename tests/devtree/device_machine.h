/// Machines for the collection tests: the device-configuration libraries with
/// every entry point the binding uses, and a binding made over the installed
/// machine that the tree finds as the application's.
#pragma once

#include <initializer_list>
#include <string_view>

#include "cfgmgr/cm_api.h"
#include "platform/machine/current_machine.h"

/// Gives the machine "CFGMGR32.DLL", "SETUPAPI.DLL" and "NEWDEV.DLL", with all
/// their entry points except those named in `missing`.
void AddDeviceLibraries(tov::machine::Machine& m, std::initializer_list<std::string_view> missing = {});

/// A CCmApi over the installed machine, installed as g_pCmApi while it lives.
class BoundApi {
 public:
  BoundApi();
  ~BoundApi();
  BoundApi(const BoundApi&) = delete;
  BoundApi& operator=(const BoundApi&) = delete;

  CCmApi& Api() { return m_api; }

 private:
  CCmApi m_api;
};
