#include "data/messages/message_user.h"

namespace {
MessageUser& User() {
  static MessageUser user;
  return user;
}
}  // namespace

const MessageUser& CurrentMessageUser() {
  return User();
}

void SetMessageUser(const MessageUser& user) {
  User() = user;
}
