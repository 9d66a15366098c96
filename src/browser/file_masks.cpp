#include "browser/file_masks.h"

#include "components/decoders/file_types.h"

#include <QStringList>

namespace browser {

namespace {

using decoders::FileKind;
using decoders::FileType;
using decoders::kFileTypes;

// "*.a;*.b;..." of the rows that pass the filter, in table order, after the patterns given.
template <typename Keep> QString mask(QStringList patterns, Keep keep) {
    for (const FileType& type : kFileTypes)
        if (keep(type))
            patterns.append(QStringLiteral("*.") + QLatin1String(type.extension));
    return patterns.join(u';');
}

bool originalPicture(const FileType& t) {
    return !t.added && t.kind == FileKind::Picture;
}

// The original part of the multimedia masks is written out: its order differs from the table's
// at creation.
QStringList originalMultimedia(FilterUse use) {
    if (use == FilterUse::Creation)
        return {"*.wav", "*.mid", "*.avi", "*.rmi"};
    return {"*.wav", "*.mid", "*.rmi", "*.avi"};
}

QString multimediaMask(FilterUse use) {
    return mask(originalMultimedia(use),
                [](const FileType& t) { return t.added && decoders::isPlayed(t.kind); });
}

} // namespace

const QString kGraphicMask =
    mask({}, [](const FileType& t) { return t.kind == FileKind::Picture; });

const QString kAllTypesMask =
    mask(QStringList{mask({}, [](const FileType& t) { return !t.added; })},
         [](const FileType& t) { return t.added; });

const QString kMultimediaMaskAtCreation = multimediaMask(FilterUse::Creation);
const QString kMultimediaMaskAfterOptions = multimediaMask(FilterUse::OptionsOk);

const QString kDesignedMask = mask(QStringList{mask({}, originalPicture), "*.wav", "*.mid"},
                                   [](const FileType& t) { return t.added; });

std::optional<QString> maskForFilter(int displayFilter, FilterUse use) {
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
