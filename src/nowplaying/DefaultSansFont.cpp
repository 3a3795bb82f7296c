#include "DefaultSansFont.h"

#include <fontconfig/fontconfig.h>

#include <memory>

namespace tunara {

QString defaultSansSerifFamily(QFont::Weight weight)
{
    const auto destroy = [](FcPattern* pattern) { FcPatternDestroy(pattern); };
    const std::unique_ptr<FcPattern, decltype(destroy)> pattern(
        FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif")), destroy);
    if (!pattern)
        return {};
    // QFont weights are on the OpenType scale.
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, FcWeightFromOpenType(static_cast<int>(weight)));
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());

    FcResult result = FcResultNoMatch;
    const std::unique_ptr<FcPattern, decltype(destroy)> match(FcFontMatch(nullptr, pattern.get(), &result),
                                                              destroy);
    FcChar8* family = nullptr;
    if (!match || FcPatternGetString(match.get(), FC_FAMILY, 0, &family) != FcResultMatch)
        return {};
    return QString::fromUtf8(reinterpret_cast<const char*>(family));
}

} // namespace tunara
