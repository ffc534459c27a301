/* The smallest kernel driver: loads, and unloads when its service is stopped. */
#include <ddk/wdm.h>

static void NTAPI TinyUnload(PDRIVER_OBJECT driver) { (void)driver; }

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath) {
  (void)registryPath;
  driver->DriverUnload = TinyUnload;
  return STATUS_SUCCESS;
}
