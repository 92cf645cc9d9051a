#include "ui/option_lists.h"

#include <QComboBox>

#include "crypto/cipher_catalogue.h"
#include "crypto/hash_catalogue.h"
#include "ui/messages.h"

namespace velt::ui {

void FillCipherList(QComboBox* list) {
  list->clear();
  for (const auto& c : crypto::CipherCatalogue()) list->addItem(QString::fromLatin1(c.label));
}

void FillHashList(QComboBox* list) {
  list->clear();
  for (const auto& h : crypto::HashCatalogue()) list->addItem(QString::fromLatin1(h.label));
}

void FillCompressionEngineList(QComboBox* list) {
  list->clear();
  for (const char* item : messages::kCompressionEngines) list->addItem(QString::fromLatin1(item));
}

void FillCompressionSpeedList(QComboBox* list) {
  list->clear();
  for (const char* item : messages::kCompressionSpeeds) list->addItem(QString::fromLatin1(item));
}

void SelectIndex(QComboBox* list, int index) {
  list->setCurrentIndex(index >= 0 && index < list->count() ? index : 0);
}

}  // namespace velt::ui
