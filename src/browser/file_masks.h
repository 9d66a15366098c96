// The file masks of the file-type filter, by DisplayFilter, built from the table of file types
// (components/decoders/file_types.h): the types the browser has always listed, in their
// original order, then the types added for today's files.
#pragma once

#include <QString>
#include <optional>

namespace browser {

// The pictures: the original 23, then the added ones.
extern const QString kGraphicMask;
// DisplayFilter 0: every type; the original 27 first.
extern const QString kAllTypesMask;
// DisplayFilter 2 at creation, and after the options dialog's OK. The two list the same files;
// their original parts differ in the order of ".avi" and ".rmi", and the file list re-reads
// only when given a different text, so the first OK after a start with filter 2 re-reads the
// list once.
extern const QString kMultimediaMaskAtCreation;
extern const QString kMultimediaMaskAfterOptions;
// The file list's designed mask, kept while no filter is applied (and for any DisplayFilter
// other than 0, 1, 2): its original part lacks ".rmi" and ".avi"; the added types follow.
extern const QString kDesignedMask;

// Who applies the filter: creation and the options dialog differ in the multimedia mask.
enum class FilterUse { Creation, OptionsOk };

// The mask for a DisplayFilter value: 0 all types, 1 graphic files, 2 multimedia files; any
// other value keeps the mask the list has (nullopt).
std::optional<QString> maskForFilter(int displayFilter, FilterUse use);

} // namespace browser
