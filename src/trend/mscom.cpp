// placeholder until the recorder lands
#include "trend/mscom.h"
mscom& mscom::instance() { static mscom* m = new mscom; return *m; }
mscom::mscom() = default;
