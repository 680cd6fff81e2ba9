// SEARCH ("Find a Message"): the texts, dates and kinds of a message
// search. Modeless; "&Find" opens the list of what it finds and the search
// window stays open for further searches.
#pragma once

#include <functional>

#include "messaging/list_request.h"
#include "toolkit/base_dialog.h"

class TSearchCriteriaClass : public TBaseDialog {
  Q_OBJECT
 public:
  static constexpr int kIdFrom = 101;
  static constexpr int kIdCompany = 140;
  static constexpr int kIdPhone = 142;
  static constexpr int kIdStart = 160;
  static constexpr int kIdEnd = 161;
  static constexpr int kIdText = 151;
  static constexpr int kIdPhoneKind = 202;
  static constexpr int kIdMemoKind = 203;
  static constexpr int kIdEmailKind = 204;
  static constexpr int kIdExact = 201;
  static constexpr int kIdFind = 1;
  static constexpr int kIdClose = 2;

  // find: opens the list for the request; false when the list window was
  // busy (it has beeped).
  TSearchCriteriaClass(QWidget* owner, const ListRequest& request,
                       std::function<bool(const ListRequest&)> find);

  // "&Find".
  void Ok() override;
  const ListRequest& Request() const { return request_; }

 private:
  ListRequest request_;
  std::function<bool(const ListRequest&)> find_;
  char from_[257] = {};
  char company_[41] = {};
  char phone_[21] = {};
  char text_[80] = {};
  int32_t start_ = 0;
  int32_t end_ = 0;
  uint8_t phoneKind_ = 1, memoKind_ = 1, emailKind_ = 1, exact_ = 0;
};
