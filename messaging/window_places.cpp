#include "messaging/window_places.h"

MessagePlaces& Places() {
  static MessagePlaces places;
  return places;
}
