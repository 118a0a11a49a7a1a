#include "app/Startup.h"

#include <QApplication>
#include <QMetaObject>

#include "app/UiThreadBridge.h"
#include "app/UnitMaster.h"
#include "update/upThread.h"

namespace quendra {

int RunQuendra(int& argc, char** argv, const std::function<void(TFormMaster&)>& prepare) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quendra"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quendra"));

    const UiThreadBridge bridge;
    int exitCode = 0;
    {
        TFormMaster FormMaster;  // runs FormCreate; the window stays hidden
        if (prepare)
            prepare(FormMaster);
        QMetaObject::invokeMethod(&FormMaster, &TFormMaster::PopulateBurners, Qt::QueuedConnection);
        exitCode = QApplication::exec();
    }
    // A worker abandoned on the way out ends within moments: its transfer was cancelled.
    WaitForWorkerThreads(std::chrono::seconds(2));
    return exitCode;
}

}  // namespace quendra
