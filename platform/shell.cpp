#include "platform/shell.h"

#include <QDesktopServices>
#include <QUrl>
#include <utility>

namespace {

TShellOpener& Opener()
{
    static TShellOpener opener;
    return opener;
}

}  // namespace

int ShellExecuteOpen(const QString& url)
{
    if (Opener()) return Opener()(url);
    const QUrl target = QUrl::fromUserInput(url);
    if (!target.isValid() || url.trimmed().isEmpty()) return SHELL_OPEN_FAILED;
    return QDesktopServices::openUrl(target) ? SHELL_OPEN_OK : SHELL_OPEN_FAILED;
}

TShellOpener SetShellOpener(TShellOpener opener)
{
    return std::exchange(Opener(), std::move(opener));
}
