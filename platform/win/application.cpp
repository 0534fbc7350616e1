#include "platform/win/application.h"

#include <QApplication>

namespace win::internal {

void EnsureApplication() {
    if (QCoreApplication::instance())
        return;
    // Qt keeps argc and argv for the life of the application.
    static int argc = 1;
    static char name[] = "binoxa";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv); // lives as long as the process
}

} // namespace win::internal
