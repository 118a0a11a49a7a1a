// quendra-screenshot FILE.png: starts the window as the program does and saves a picture
// of it once it is shown. Run offscreen with the simulated ASPI library for its drives:
//
//   scripts/screenshot.sh docs/window.png

#include <QCoreApplication>
#include <QPixmap>
#include <QTimer>
#include <iostream>
#include <string>

#include "app/Startup.h"
#include "app/UnitMaster.h"
#include "sysinfo/SysInfo.h"
#include "tools/WindowShown.h"

int main(int argc, char* argv[]) {
    using namespace quendra;
    CaptureStartupSystemInfo();
    if (argc != 2) {
        std::cerr << "usage: quendra-screenshot FILE.png\n";
        return 2;
    }
    const QString file = QString::fromLocal8Bit(argv[1]);
    bool saved = false;
    const int result = RunQuendra(argc, argv, [&](TFormMaster& form) {
        new WindowShown(&form, [&] {
            // Let the first paint happen, then picture the window as drawn.
            QTimer::singleShot(200, &form, [&] {
                saved = form.grab().save(file, "PNG");
                QCoreApplication::exit(0);
            });
        });
        QTimer::singleShot(20000, &form, [] { QCoreApplication::exit(3); });
    });
    if (!saved) {
        std::cerr << "quendra-screenshot: the window was not shown or the picture not saved\n";
        return result == 0 ? 1 : result;
    }
    return 0;
}
