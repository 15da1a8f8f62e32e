// The program's one application object, made at static initialisation.
#include "app/collect_app.h"

CCollectApp theApp;
