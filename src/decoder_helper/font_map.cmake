# Writes GraphicsMagick's type map for the fonts libwmf draws metafile text with. Debian's
# GraphicsMagick names the Ghostscript fonts by their old gsfonts file names
# (/usr/share/fonts/type1/gsfonts/n021003l.pfb); since Debian 12 those fonts come from
# fonts-urw-base35 under their new names. The map is GraphicsMagick's own, with each font's
# file renamed. Run as: cmake -DSOURCE=<type-ghostscript.mgk> -DTARGET=<type.mgk> -P font_map.cmake
file(READ "${SOURCE}" map)
set(renames
    a010013l URWGothic-Book a010015l URWGothic-Demi a010033l URWGothic-BookOblique
    a010035l URWGothic-DemiOblique b018012l URWBookman-Light b018015l URWBookman-Demi
    b018032l URWBookman-LightItalic b018035l URWBookman-DemiItalic c059013l C059-Roman
    c059016l C059-Bold c059033l C059-Italic c059036l C059-BdIta d050000l D050000L
    n019003l NimbusSans-Regular n019004l NimbusSans-Bold n019023l NimbusSans-Italic
    n019024l NimbusSans-BoldItalic n019043l NimbusSansNarrow-Regular
    n019044l NimbusSansNarrow-Bold n019063l NimbusSansNarrow-Oblique
    n019064l NimbusSansNarrow-BoldOblique n021003l NimbusRoman-Regular
    n021004l NimbusRoman-Bold n021023l NimbusRoman-Italic n021024l NimbusRoman-BoldItalic
    n022003l NimbusMonoPS-Regular n022004l NimbusMonoPS-Bold n022023l NimbusMonoPS-Italic
    n022024l NimbusMonoPS-BoldItalic p052003l P052-Roman p052004l P052-Bold
    p052023l P052-Italic p052024l P052-BoldItalic s050000l StandardSymbolsPS
    z003034l Z003-MediumItalic)
# The new package has no metric files; the glyph files carry what FreeType needs.
string(REGEX REPLACE "metrics=\"[^\"]*\"" "" map "${map}")
list(LENGTH renames count)
math(EXPR last "${count} - 1")
foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET renames ${i} old)
    list(GET renames ${j} new)
    string(REPLACE "/usr/share/fonts/type1/gsfonts/${old}.pfb"
                   "/usr/share/fonts/X11/Type1/${new}.pfb" map "${map}")
endforeach()
file(WRITE "${TARGET}" "${map}")
