#pragma once

// What the main window needs from the world outside it, replaceable in tests: the drive
// platform under the drive component, the data host, the message box, the document opener,
// and the update check's host, folders and platform.

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "net/HostAddress.h"
#include "update/StartupGate.h"
#include "update/upAutoUpdater.h"

class QWidget;

namespace quendra {

class DrivePlatform;

struct FormServices {
    // Null: the real platform of this machine.
    std::shared_ptr<DrivePlatform> drivePlatform;
    // The host of the lookup service and the download page. Empty: DataHost(), the build's
    // host unless the environment names another.
    std::optional<HostAddress> dataHost;
    // Shows a plain message box with an OK button and returns when it is closed.
    std::function<void(QWidget* owner, const QString& text)> showMessage;
    // Hands an address to the desktop (OpenDocument by default).
    std::function<void(std::u16string_view target)> openDocument;

    // Whether the window starts the update check when it is created (else whoever created
    // it runs PopulateBurners).
    bool checkForUpdates = true;
    // The host of the update service. Empty: UpdateHost().
    std::optional<HostAddress> updateHost;
    // The update component's folders and platform. Empty: this machine's, with the updater
    // program the executable carries.
    std::optional<TupAutoUpdater::Environment> updaterEnvironment;
    StartupCheckLimits updateCheckLimits;

    // Fills every empty entry with the real behaviour.
    FormServices WithDefaults() const;
};

}  // namespace quendra
