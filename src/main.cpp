// Vornic: counts the characters of the text on the clipboard.
#include "mainwindow/form1.h"
#include "platform/event_dispatch.h"
#include "platform/platform_services.h"

int main(int argc, char** argv) {
  const std::unique_ptr<vornic::WindowServices> services = vornic::CreatePlatformServices(argc, argv);
  if (!vornic::StartVornic(*services)) return vornic::kFailureExitStatus;
  return services->RunEventLoop();
}
