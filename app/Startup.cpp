#include "app/Startup.h"

#include <QApplication>

#include "app/UnitMaster.h"
#include "update/upThread.h"

namespace quendra {

int RunQuendra(int& argc, char** argv, const std::function<void(TFormMaster&)>& prepare) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quendra"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quendra"));

    int exitCode = 0;
    {
        // FormCreate starts the update check; its outcome shows the window (PopulateBurners)
        // or ends the program without it.
        TFormMaster FormMaster;
        if (prepare)
            prepare(FormMaster);
        exitCode = QApplication::exec();
    }
    // A worker abandoned on the way out ends within moments: its transfer was cancelled.
    WaitForWorkerThreads(std::chrono::seconds(2));
    return exitCode;
}

}  // namespace quendra
