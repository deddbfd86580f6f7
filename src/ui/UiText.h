#pragma once

#include "config/InterfaceTexts.h"

#include <QString>

namespace marlet {

/// An interface text of the current language as Qt shows it; "&" marks the accelerator.
inline QString uiText(const InterfaceTexts& texts, TextKey key) {
    return QString::fromStdString(texts[key]);
}

} // namespace marlet
