#include "settings/ui/PermissionDeniedPrompt.h"

#include "base/Prompt.h"
#include "settings/SettingsStore.h"

namespace {

QString permissionDeniedText(const QString &productName)
{
    return productName +
           QStringLiteral(" requires read/write access to the system registry and hard drive in order to run properly."
                          "  This user account does not have the proper permissions set.  As a result some or all of"
                          " your settings may not be properly saved.  Please contact your system administrator or"
                          " change the permission settings for this account.") +
           QStringLiteral("\r\n\r\n") +
           QStringLiteral("If you would like to prevent this error message from being displayed again, please press"
                          " 'Ignore'.");
}

} // namespace

void installPermissionDeniedPrompt(SettingsStore &settings, Prompt &prompt, const QString &productName)
{
    settings.setMachineWriteFailureHandler([&settings, &prompt, productName](const QString &, const QString &) {
        if (settings.value(Settings::ignorePermissionDenied))
            return false;
        switch (prompt.showMessage(QStringLiteral("Permission Denied"), permissionDeniedText(productName),
                                   Prompt::Icon::Critical, Prompt::Buttons::AbortRetryIgnore)) {
        case Prompt::Answer::Retry:
            return true;
        case Prompt::Answer::Ignore:
            settings.setValue(Settings::ignorePermissionDenied, true);
            return false;
        default:
            return false;
        }
    });
}
