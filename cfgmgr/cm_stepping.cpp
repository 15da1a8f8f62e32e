// The walks over device nodes, configurations and descriptors. Each step
// makes its entry-point calls one by one, so the lock is never held across
// two of them.
#include "cfgmgr/cm_api.h"

DEVINST CCmApi::FirstDevNode(CmCursor& cursor) {
  cursor.hCurrent = 0;
  DEVINST dnRoot = 0;
  CM_Locate_DevNodeA(&dnRoot, nullptr, CM_LOCATE_DEVNODE_NORMAL);
  cursor.hCurrent = dnRoot;
  cursor.hFirst = dnRoot;
  return dnRoot;
}

DEVINST CCmApi::NextDevNode(DEVINST dnNode, DEVINST dnStop, BOOL bDescend) {
  // Climbing to the parent and asking again without descending is a loop
  // here rather than a call, so a deep tree costs no stack.
  while (dnNode != 0) {
    DEVINST dnNext = 0;
    if (bDescend) {
      CM_Get_Child(&dnNext, dnNode, 0);
      if (dnNext != 0) return dnNext;
    }
    if (dnNode == dnStop) return 0;
    CM_Get_Sibling(&dnNext, dnNode, 0);
    if (dnNext != 0) return dnNext;
    CM_Get_Parent(&dnNext, dnNode, 0);
    dnNode = dnNext;
    bDescend = FALSE;
  }
  return 0;
}

LOG_CONF CCmApi::NextLogConf(CmCursor& cursor) {
  if (cursor.hCurrent == 0) return 0;
  LOG_CONF lcNext = 0;
  CM_Get_Next_Log_Conf(&lcNext, cursor.hCurrent, 0);
  CM_Free_Log_Conf_Handle(cursor.hCurrent);
  cursor.hCurrent = lcNext;
  return lcNext;
}

RES_DES CCmApi::NextResDes(CmCursor& cursor, PRESOURCEID pResType) {
  if (cursor.hCurrent == 0) return 0;
  RES_DES rdNext = 0;
  CM_Get_Next_Res_Des(&rdNext, cursor.hCurrent, cursor.resType, pResType, 0);
  // hFirst is the configuration the walk started on; its owner releases it.
  if (cursor.hCurrent != cursor.hFirst) CM_Free_Res_Des_Handle(cursor.hCurrent);
  cursor.hCurrent = rdNext;
  return rdNext;
}
