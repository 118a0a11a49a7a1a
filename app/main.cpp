// Process entry of the window: the system facts are captured first, the main window is
// created hidden, and the event loop shows it once the drive list is ready.

#include <QApplication>
#include <QMetaObject>

#include "app/UnitMaster.h"
#include "sysinfo/SysInfo.h"

int main(int argc, char* argv[]) {
    CaptureStartupSystemInfo();

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quendra"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quendra"));

    TFormMaster FormMaster;  // runs FormCreate; the window stays hidden
    QMetaObject::invokeMethod(&FormMaster, &TFormMaster::PopulateBurners, Qt::QueuedConnection);
    return QApplication::exec();
}
