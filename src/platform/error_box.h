// The application's standard error box and the guard every handler runs in.
#pragma once

#include "platform/version.h"

#include <QString>
#include <exception>
#include <utility>

namespace platform {

inline const QString kApplicationTitle = QStringLiteral("Glimra Version " GLIMRA_VERSION);

// Shows text (with a full stop added when it has none) titled with the application title,
// with the error icon and an OK button.
void showErrorBox(const QString& text);

// The text an error shows: GlimraError's own text, else what the exception says.
QString errorText(const std::exception& error);

// Runs a handler; an error it raises ends it and is shown in the standard error box, and the
// program goes on. Returns false when the handler failed.
template <typename F> bool guarded(F&& handler) {
    try {
        std::forward<F>(handler)();
        return true;
    } catch (const std::exception& error) {
        showErrorBox(errorText(error));
    }
    return false;
}

} // namespace platform
