#pragma once
// Saving and discarding the replication targets edited in "Compañías a transmitir".
namespace kalvora {

class Componentes;

// "Grabar": completes the rows being edited (prefixes, then targets) and saves every
// pending change in one transaction, all or nothing. A row that cannot be completed ends
// the click with SilentAbort after the data error dialogs; a row the database refuses is
// reported by them and stays pending. A target whose server entry and company name the
// destination's database is refused with an Error before anything is saved. Returns the
// number of refused rows.
int AdvGlowButton3Click(Componentes& c);

// "Salir" of the editor: drops the edits and every pending change of targets and prefixes.
void AdvGlowButton4Click(Componentes& c);

// Whether that "Salir" would throw something away: a pending change, or a changed row in edit.
bool hasUnsavedChanges(const Componentes& c);

}  // namespace kalvora
