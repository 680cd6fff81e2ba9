#include "messaging/message_services.h"

MessagingServices& Services() {
  static MessagingServices services;
  return services;
}
