#include "app/Startup.h"

#include <QApplication>
#include <QMetaObject>

#include "app/UnitMaster.h"

namespace quendra {

int RunQuendra(int& argc, char** argv, const std::function<void(TFormMaster&)>& prepare) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quendra"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quendra"));

    TFormMaster FormMaster;  // runs FormCreate; the window stays hidden
    if (prepare)
        prepare(FormMaster);
    QMetaObject::invokeMethod(&FormMaster, &TFormMaster::PopulateBurners, Qt::QueuedConnection);
    return QApplication::exec();
}

}  // namespace quendra
