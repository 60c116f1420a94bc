#include "common/editable_list.h"

#include <QComboBox>

namespace editable_list {

void makeEditable(QComboBox* box) {
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  // Qt gives an editable combo box an inline completer, which fills in the
  // rest of the first entry that starts with the typed text; what the user
  // typed must stay what the box holds. Set after setEditable, which makes a
  // new completer.
  box->setCompleter(nullptr);
}

}  // namespace editable_list
