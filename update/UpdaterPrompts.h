#pragma once

// The update component's own dialogs: the ask box, message boxes, the password dialog and the
// wizard window. The program switches all of them off (ShowMessages empty, wizard disabled);
// the defaults answer as a user who closes every box would.

#include <optional>
#include <string>

namespace quendra {

class UpdaterPrompts {
public:
    virtual ~UpdaterPrompts() = default;
    virtual bool AskYesNo(const std::u16string& /*text*/, const std::u16string& /*caption*/) {
        return false;
    }
    virtual void ShowInformation(const std::u16string& /*text*/) {}
    virtual void ShowError(const std::u16string& /*text*/) {}
    // True when the user entered credentials and asked to try again; false when cancelled.
    virtual bool AskPassword(const std::u16string& /*realm*/) { return false; }
    virtual void OpenWizard() {}
    virtual void FinishWizard() {}
    virtual void CloseWizard() {}
    virtual bool WizardShown() const { return false; }
};

}  // namespace quendra
