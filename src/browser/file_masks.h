// The file masks of the file-type filter: one table, by DisplayFilter.
#pragma once

#include <QString>
#include <optional>

namespace browser {

// The 23 graphic extensions, then the 4 multimedia ones.
inline const QString kGraphicMask = QStringLiteral(
    "*.jpg;*.gif;*.bmp;*.wmf;*.wpg;*.art;*.cut;*.dib;*.emf;*.gem;*.hrz;*.iff;*.img;*.lbm;"
    "*.mac;*.msp;*.pcx;*.pic;*.png;*.ras;*.rle;*.tga;*.tif");
// DisplayFilter 0: every type.
inline const QString kAllTypesMask = kGraphicMask + QStringLiteral(";*.wav;*.mid;*.rmi;*.avi");
// DisplayFilter 2 at creation, and after the options dialog's OK. The two list the same files
// in another order; the file list re-reads only when given a different text, so the first OK
// after a start with filter 2 re-reads the list once.
inline const QString kMultimediaMaskAtCreation = QStringLiteral("*.wav;*.mid;*.avi;*.rmi");
inline const QString kMultimediaMaskAfterOptions = QStringLiteral("*.wav;*.mid;*.rmi;*.avi");
// The file list's designed mask, kept while no filter is applied (and for any DisplayFilter
// other than 0, 1, 2): ".rmi" and ".avi" are missing from it.
inline const QString kDesignedMask = kGraphicMask + QStringLiteral(";*.wav;*.mid");

// Who applies the filter: creation and the options dialog differ in the multimedia mask.
enum class FilterUse { Creation, OptionsOk };

// The mask for a DisplayFilter value: 0 all types, 1 graphic files, 2 multimedia files; any
// other value keeps the mask the list has (nullopt).
inline std::optional<QString> maskForFilter(int displayFilter, FilterUse use) {
    switch (displayFilter) {
    case 0:
        return kAllTypesMask;
    case 1:
        return kGraphicMask;
    case 2:
        return use == FilterUse::Creation ? kMultimediaMaskAtCreation : kMultimediaMaskAfterOptions;
    default:
        return std::nullopt;
    }
}

} // namespace browser
