#include "app/OpenDocument.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include "util/TextRules.h"

namespace quendra {

void OpenDocument(std::u16string_view target) {
    QString argument = QString::fromUtf16(target.data(), static_cast<qsizetype>(target.size()));
    if (AsciiLower(target).starts_with(u"www."))
        argument.prepend(QStringLiteral("http://"));
    QProcess::startDetached(QStringLiteral("xdg-open"), QStringList{argument});
}

}  // namespace quendra
