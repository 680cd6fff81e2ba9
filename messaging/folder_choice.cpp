#include "messaging/folder_choice.h"

#include "messaging/folder_dialog.h"
#include "storage/records/field.h"

bool ChooseOwnersFolder(QWidget* owner, int32_t person, int32_t start, std::string* name,
                        int32_t* number) {
  FolderRecord choice = MakeFolderRecord("", person);
  SetFieldI32(choice.bytes, records::folder::kNumber, start);
  if (!ChooseFolder(owner, choice)) return false;
  *name = choice.Name();
  *number = choice.Number();
  return true;
}
