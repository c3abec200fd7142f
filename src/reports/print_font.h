// The font families printouts ask for.
//
// The layouts were designed for Arial. Where a printout wants that font ("Arial", the default
// of the Schriftart setting, or no family at all) it asks, in this order, for Liberation Sans
// (Debian package fonts-liberation2, a dependency of the program), which has Arial's metrics;
// Arimo, the same design under another name; Arial itself; and DejaVu Sans, which every Debian
// desktop has, as the last resort. Asking for Liberation Sans first, even where Arial is
// installed, makes every machine lay a printout out as the tests do, instead of with whatever
// the system substitutes for "Arial".
#pragma once

#include <QString>
#include <QStringList>

namespace lapiro::reports {

// The chain above, first choice first.
const QStringList& designFontFamilies();

// The families to ask for when a printout requests `family`: the chain above for "Arial"
// (any case), "Liberation Sans" or an empty name; otherwise the requested family (a font the
// user chose wins) followed by the chain, so that a font that is not installed falls back to
// the designed one. ReportFont::resolve() builds every printout font with these families.
QStringList printFontFamilies(const QString& family);

}  // namespace lapiro::reports
