#pragma once
// File dialog filters as the program writes them, "Description|pattern|Description|
// pattern", turned into the dialog's own "Description (pattern ...)" entries.
//
//   "MIDI files (*.mid)|*.mid|All Files (*.*)|*.*"
//     -> "MIDI files (*.mid *.MID)", "All Files (*)"
//
// File names on Linux keep their case, so a pattern also matches its upper-case form,
// and "*.*" means every file, dot or not.

#include <QString>
#include <QStringList>

namespace sonkora {

QStringList QtNameFilters(const QString& filter);

// True when the file exists and its owner may not write it: the read-only attribute
// of a song text. Mode bits are asked, not access(), which always says yes to root.
bool IsReadOnlyFile(const QString& path);

}  // namespace sonkora
