// Text between the host's strings (UTF-8) and Qt's.
#pragma once

#include <QString>

#include "brantic/string.h"

namespace bx3::gui {

inline QString ToQString(const brantic::String& text) {
  return QString::fromUtf8(text.View().data(), qsizetype(text.Length()));
}
inline brantic::String FromQString(const QString& text) { return brantic::String(text.toStdString()); }

}  // namespace bx3::gui
