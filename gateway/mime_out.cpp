#include "gateway/mime_out.h"

#include <algorithm>
#include <cstring>

#include "data/cp1252.h"
#include "data/messages/email_address.h"
#include "gateway/gmime_ptr.h"

namespace {

// The addr-specs of a parsed address list, groups opened up.
void CollectAddresses(InternetAddressList* list, std::vector<std::string>* out) {
  const int n = internet_address_list_length(list);
  for (int i = 0; i < n; ++i) {
    InternetAddress* a = internet_address_list_get_address(list, i);
    // Display names go out as UTF-8 encoded words, whatever GMime would
    // choose.
    internet_address_set_charset(a, "utf-8");
    if (INTERNET_ADDRESS_IS_MAILBOX(a)) {
      const char* addr = internet_address_mailbox_get_idn_addr(INTERNET_ADDRESS_MAILBOX(a));
      // A bare name (a local one) is no address on the Internet.
      if (addr && std::strchr(addr, '@')) out->push_back(addr);
    } else if (INTERNET_ADDRESS_IS_GROUP(a)) {
      CollectAddresses(internet_address_group_get_members(INTERNET_ADDRESS_GROUP(a)), out);
    }
  }
}

// Adds the Internet items of a recipient list (local names stay in the
// office) to the message's list of that kind.
void AddRecipients(GMimeMessage* message, GMimeAddressType type, const std::string& list,
                   std::vector<std::string>* recipients) {
  InternetAddressList* target = g_mime_message_get_addresses(message, type);
  for (const RecipientItem& item : RecipientItems(list)) {
    if (!IsInternetAddress(item.text)) continue;
    GPtr<InternetAddressList> parsed(
        internet_address_list_parse(nullptr, Cp1252ToUtf8(item.text).c_str()));
    if (!parsed) continue;
    CollectAddresses(parsed.get(), recipients);
    internet_address_list_append(target, parsed.get());
  }
}

}  // namespace

int BuildMail(const OutgoingMail& mail, BuiltMail* built, std::string* error) {
  GMimeReady();
  *built = BuiltMail();
  GPtr<GMimeMessage> message(g_mime_message_new(TRUE));

  GPtr<InternetAddressList> from(
      internet_address_list_parse(nullptr, Cp1252ToUtf8(mail.from).c_str()));
  std::vector<std::string> fromAddresses;
  if (from) CollectAddresses(from.get(), &fromAddresses);
  if (fromAddresses.empty()) {
    *error = "the From field holds no Internet address";
    return 0;
  }
  internet_address_list_append(g_mime_message_get_from(message.get()), from.get());
  built->envelopeFrom = fromAddresses.front();

  AddRecipients(message.get(), GMIME_ADDRESS_TYPE_TO, mail.to, &built->recipients);
  AddRecipients(message.get(), GMIME_ADDRESS_TYPE_CC, mail.cc, &built->recipients);
  // An address named twice (in To and again in CC, say) gets one copy: the
  // envelope names it once.
  std::vector<std::string> once;
  for (const std::string& r : built->recipients)
    if (std::none_of(once.begin(), once.end(), [&r](const std::string& o) {
          return g_ascii_strcasecmp(o.c_str(), r.c_str()) == 0;
        }))
      once.push_back(r);
  built->recipients = std::move(once);
  if (built->recipients.empty()) {
    *error = "no Internet address among the recipients";
    return 0;
  }
  g_mime_message_set_subject(message.get(), Cp1252ToUtf8(mail.subject).c_str(), "utf-8");
  GDateTime* date = g_date_time_new_from_unix_local(mail.date);
  g_mime_message_set_date(message.get(), date);
  g_date_time_unref(date);
  g_mime_message_set_message_id(message.get(), mail.messageId.c_str());

  // The body in UTF-8 whatever it holds, so every reader gets one charset.
  GPtr<GMimeTextPart> text(g_mime_text_part_new_with_subtype("plain"));
  const std::string utf8 = Cp1252ToUtf8(mail.body);
  GPtr<GMimeStream> bodyStream(g_mime_stream_mem_new_with_buffer(utf8.data(), utf8.size()));
  GPtr<GMimeDataWrapper> bodyContent(
      g_mime_data_wrapper_new_with_stream(bodyStream.get(), GMIME_CONTENT_ENCODING_DEFAULT));
  g_mime_part_set_content(GMIME_PART(text.get()), bodyContent.get());
  g_mime_text_part_set_charset(text.get(), "utf-8");
  g_mime_part_set_content_encoding(GMIME_PART(text.get()),
                                   g_mime_part_get_best_content_encoding(
                                       GMIME_PART(text.get()), GMIME_ENCODING_CONSTRAINT_7BIT));

  if (mail.attachments.empty()) {
    g_mime_message_set_mime_part(message.get(), GMIME_OBJECT(text.get()));
  } else {
    GPtr<GMimeMultipart> mixed(g_mime_multipart_new_with_subtype("mixed"));
    g_mime_multipart_add(mixed.get(), GMIME_OBJECT(text.get()));
    for (const OutgoingAttachment& a : mail.attachments) {
      GPtr<GMimePart> part(g_mime_part_new_with_type("application", "octet-stream"));
      GPtr<GMimeStream> content(g_mime_stream_mem_new_with_buffer(a.bytes.data(), a.bytes.size()));
      GPtr<GMimeDataWrapper> wrapper(
          g_mime_data_wrapper_new_with_stream(content.get(), GMIME_CONTENT_ENCODING_DEFAULT));
      g_mime_part_set_content(part.get(), wrapper.get());
      g_mime_part_set_content_encoding(part.get(), GMIME_CONTENT_ENCODING_BASE64);
      g_mime_part_set_filename(part.get(), Cp1252ToUtf8(a.name).c_str());
      // The name in UTF-8 (RFC 2231) in both places GMime puts it.
      GMimeObject* object = GMIME_OBJECT(part.get());
      for (GMimeParamList* params :
           {g_mime_content_disposition_get_parameters(
                g_mime_object_get_content_disposition(object)),
            g_mime_content_type_get_parameters(g_mime_object_get_content_type(object))}) {
        for (const char* key : {"filename", "name"})
          if (GMimeParam* param = params ? g_mime_param_list_get_parameter(params, key) : nullptr)
            g_mime_param_set_charset(param, "utf-8");
      }
      g_mime_multipart_add(mixed.get(), GMIME_OBJECT(part.get()));
    }
    g_mime_message_set_mime_part(message.get(), GMIME_OBJECT(mixed.get()));
  }

  GMimeFormatOptions* options = g_mime_format_options_new();
  g_mime_format_options_set_newline_format(options, GMIME_NEWLINE_FORMAT_DOS);
  g_mime_format_options_set_param_encoding_method(options, GMIME_PARAM_ENCODING_METHOD_RFC2231);
  GPtr<GMimeStream> out(g_mime_stream_mem_new());
  g_mime_object_write_to_stream(GMIME_OBJECT(message.get()), options, out.get());
  g_mime_format_options_free(options);
  built->data = MemStreamBytes(out.get());
  return 1;
}
