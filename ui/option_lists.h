// The item lists that every cipher, hash and compression drop-down shows; the item position is
// the stored index everywhere.
#pragma once

class QComboBox;

namespace velt::ui {

void FillCipherList(QComboBox* list);
void FillHashList(QComboBox* list);
void FillCompressionEngineList(QComboBox* list);
void FillCompressionSpeedList(QComboBox* list);

// Selects `index`, or the first item when the index is outside the list.
void SelectIndex(QComboBox* list, int index);

}  // namespace velt::ui
