#include "app/FormServices.h"

#include <QMessageBox>

#include "app/EmbeddedUpdater.h"
#include "app/OpenDocument.h"

namespace quendra {

FormServices FormServices::WithDefaults() const {
    FormServices services = *this;
    if (!services.showMessage) {
        services.showMessage = [](QWidget* owner, const QString& text) {
            QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Quendra"), text, QMessageBox::Ok,
                            owner);
            box.exec();
        };
    }
    if (!services.dataHost)
        services.dataHost = DataHost();
    if (!services.openDocument)
        services.openDocument = &OpenDocument;
    if (!services.updateHost)
        services.updateHost = UpdateHost();
    if (!services.updaterEnvironment) {
        TupAutoUpdater::Environment environment;
        environment.updaterProgram = EmbeddedUpdaterProgram();
        services.updaterEnvironment = std::move(environment);
    }
    return services;
}

}  // namespace quendra
