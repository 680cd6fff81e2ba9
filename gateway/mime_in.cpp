#include "gateway/mime_in.h"

#include <algorithm>
#include <cctype>

#include "gateway/gmime_ptr.h"
#include "gateway/html_text.h"

namespace {

// Deeper multiparts than this are left unopened; a hostile message may nest
// thousands.
constexpr int kMaxDepth = 24;

std::string Lower(std::string text) {
  for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

void CollectAddresses(InternetAddressList* list, std::vector<std::string>* out, int depth = 0) {
  if (!list || depth > 4) return;
  const int n = internet_address_list_length(list);
  for (int i = 0; i < n; ++i) {
    InternetAddress* a = internet_address_list_get_address(list, i);
    if (INTERNET_ADDRESS_IS_MAILBOX(a)) {
      const char* addr = internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(a));
      if (addr && *addr) out->push_back(Lower(addr));
    } else if (INTERNET_ADDRESS_IS_GROUP(a)) {
      CollectAddresses(internet_address_group_get_members(INTERNET_ADDRESS_GROUP(a)), out,
                       depth + 1);
    }
  }
}

std::string ListText(InternetAddressList* list) {
  if (!list || internet_address_list_length(list) == 0) return {};
  GText text(internet_address_list_to_string(list, nullptr, FALSE));
  return text ? text.get() : std::string();
}

std::string PartBytes(GMimePart* part) {
  GMimeDataWrapper* content = g_mime_part_get_content(part);
  if (!content) return {};
  GPtr<GMimeStream> out(g_mime_stream_mem_new());
  g_mime_data_wrapper_write_to_stream(content, out.get());
  return MemStreamBytes(out.get());
}

// The decoded text of a part in UTF-8. Read as bytes, so that a NUL in it
// does not end the text; a charset that cannot be converted leaves the
// bytes as they came, and what is not UTF-8 shows as "?" later.
std::string TextOf(GMimeTextPart* part) {
  std::string bytes = PartBytes(GMIME_PART(part));
  for (char& c : bytes)
    if (c == '\0') c = ' ';
  const char* charset = g_mime_text_part_get_charset(part);
  if (!charset || g_ascii_strcasecmp(charset, "utf-8") == 0 ||
      g_ascii_strcasecmp(charset, "us-ascii") == 0)
    return bytes;
  gsize written = 0;
  GText converted(g_convert_with_fallback(bytes.data(), gssize(bytes.size()), "UTF-8",
                                          g_mime_charset_iconv_name(charset), "?", nullptr,
                                          &written, nullptr));
  if (!converted) return bytes;
  return std::string(converted.get(), written);
}

struct Walker {
  size_t keep = 0;
  IncomingMail* mail = nullptr;
  bool havePlain = false;
  std::string html;
  bool haveHtml = false;

  void Attach(std::string name, GMimeObject* object) {
    ++mail->attachmentCount;
    if (mail->attachments.size() >= keep) return;
    IncomingAttachment a;
    a.name = std::move(name);
    if (GMIME_IS_PART(object)) {
      a.bytes = PartBytes(GMIME_PART(object));
    } else {
      // The forwarded message itself, from its own headers on: the part's
      // headers in front of it would make a mail program read its headers
      // as text.
      GMimeObject* inner =
          GMIME_IS_MESSAGE_PART(object)
              ? GMIME_OBJECT(g_mime_message_part_get_message(GMIME_MESSAGE_PART(object)))
              : object;
      GPtr<GMimeStream> out(g_mime_stream_mem_new());
      if (inner) g_mime_object_write_to_stream(inner, nullptr, out.get());
      a.bytes = MemStreamBytes(out.get());
    }
    mail->attachments.push_back(std::move(a));
  }

  void Walk(GMimeObject* object, int depth) {
    if (!object) return;
    if (GMIME_IS_MULTIPART(object)) {
      if (depth >= kMaxDepth) return;
      GMimeMultipart* multipart = GMIME_MULTIPART(object);
      const int n = g_mime_multipart_get_count(multipart);
      for (int i = 0; i < n; ++i) Walk(g_mime_multipart_get_part(multipart, i), depth + 1);
      return;
    }
    if (GMIME_IS_MESSAGE_PART(object)) {
      // A forwarded message stays whole, as a file of its own.
      Attach("message.eml", object);
      return;
    }
    if (!GMIME_IS_PART(object)) return;
    GMimePart* part = GMIME_PART(object);
    const char* filename = g_mime_part_get_filename(part);
    GMimeContentDisposition* disposition = g_mime_object_get_content_disposition(object);
    const bool attachment =
        (disposition && g_mime_content_disposition_is_attachment(disposition)) ||
        (filename && *filename);
    GMimeContentType* type = g_mime_object_get_content_type(object);
    if (!attachment && GMIME_IS_TEXT_PART(object) && type) {
      const bool plain = g_mime_content_type_is_type(type, "text", "plain");
      const bool isHtml = g_mime_content_type_is_type(type, "text", "html");
      if ((plain && !havePlain) || (isHtml && !haveHtml)) {
        std::string content = TextOf(GMIME_TEXT_PART(object));
        if (plain) {
          mail->body = std::move(content);
          havePlain = true;
        } else {
          html = std::move(content);
          haveHtml = true;
        }
        return;
      }
    }
    std::string name = filename ? filename : "";
    if (name.empty() && type) {
      // A nameless part still gets a name that tells what it is.
      const char* sub = g_mime_content_type_get_media_subtype(type);
      name = std::string("part.") + (sub && *sub ? sub : "bin");
    }
    Attach(std::move(name), object);
  }
};

}  // namespace

IncomingMail ParseIncoming(std::string_view raw, size_t keepAttachments) {
  GMimeReady();
  IncomingMail mail;
  GPtr<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(raw.data(), raw.size()));
  GPtr<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
  GPtr<GMimeMessage> message(g_mime_parser_construct_message(parser.get(), nullptr));
  if (!message) {
    mail.body = std::string(raw);
    return mail;
  }
  mail.from = ListText(g_mime_message_get_from(message.get()));
  if (mail.from.empty()) mail.from = ListText(g_mime_message_get_sender(message.get()));
  InternetAddressList* to = g_mime_message_get_addresses(message.get(), GMIME_ADDRESS_TYPE_TO);
  InternetAddressList* cc = g_mime_message_get_addresses(message.get(), GMIME_ADDRESS_TYPE_CC);
  mail.to = ListText(to);
  mail.cc = ListText(cc);
  CollectAddresses(to, &mail.recipients);
  CollectAddresses(cc, &mail.recipients);
  if (const char* subject = g_mime_message_get_subject(message.get())) mail.subject = subject;
  if (const char* id = g_mime_message_get_message_id(message.get())) mail.messageId = id;

  Walker walker;
  walker.keep = keepAttachments;
  walker.mail = &mail;
  walker.Walk(g_mime_message_get_mime_part(message.get()), 0);
  if (!walker.havePlain && walker.haveHtml) mail.body = HtmlToText(walker.html);
  return mail;
}
