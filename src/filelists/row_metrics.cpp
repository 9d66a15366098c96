#include "filelists/row_metrics.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <algorithm>

namespace filelists {

int adjustedTextHeight(int textHeight, int systemTextHeight) {
    return textHeight + std::min(textHeight, systemTextHeight) / 4;
}

int driveRowHeight(int textHeight, int systemTextHeight) {
    return std::max(adjustedTextHeight(textHeight, systemTextHeight), 13);
}

int directoryRowHeight(int textHeight) {
    return std::max(textHeight, 16 + 1);
}

int fileRowHeight(int textHeight, int systemTextHeight) {
    return std::max(adjustedTextHeight(textHeight, systemTextHeight), 18);
}

int textHeight(const QFont& font) {
    return QFontMetrics(font).height();
}

int systemTextHeight() {
    return QFontMetrics(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).height();
}

} // namespace filelists
