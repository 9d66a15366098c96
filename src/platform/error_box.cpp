#include "platform/error_box.h"

#include "platform/dialogs.h"
#include "platform/errors.h"

#include <new>

namespace platform {

QString errorText(const std::exception& error) {
    if (const auto* own = dynamic_cast<const platform::GlimraError*>(&error))
        return own->text();
    if (dynamic_cast<const std::bad_alloc*>(&error))
        return QStringLiteral("Out of memory");
    return QString::fromUtf8(error.what());
}

void showErrorBox(const QString& text) {
    QString shown = text;
    if (!shown.endsWith(u'.'))
        shown += u'.';
    platform::dialogs().message(
        nullptr,
        {kApplicationTitle, shown, platform::MessageIcon::Error, {platform::MessageButton::Ok}});
}

} // namespace platform
