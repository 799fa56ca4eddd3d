// placeholder until the device link lands
#include "device/DeviceLink.h"
int32_t ReadBlock(int32_t, int32_t, int32_t*) { return -1; }
void WriteRegister(int32_t, int32_t, WriteRule) {}
int32_t OpenLink(const LinkSelection&) { return -1; }
void CloseLink() {}
