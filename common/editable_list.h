#pragma once

class QComboBox;

namespace editable_list {

// Turns `box` into an editable list that takes exactly what the user types:
// its entries are offered in the drop-down list, never completed into the
// text ("3" stays "3", not the entry "32"), and Enter never adds the typed
// text to the entries.
void makeEditable(QComboBox* box);

}  // namespace editable_list
