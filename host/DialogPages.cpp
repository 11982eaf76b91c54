#include "host/DialogPages.h"

#include "base/HtmlEscape.h"
#include "reader/DlgFileSelect.h"
#include "reader/DlgFirmCode.h"

namespace {

constexpr std::string_view kScheme = "vexost://";

std::string Text(std::string_view dialogText) {
  return vxs::EscapeHtml(WithoutMnemonics(std::string(dialogText)));
}

std::string PageStart(std::string_view caption) {
  return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + Text(caption) +
         "</title>\n<style>body{font-family:sans-serif;margin:2em}"
         ".dialog{border:1px solid #888;padding:1em 1.5em;max-width:40em}"
         ".frame{border:1px inset #aaa;padding:.5em}.message{color:#a00}</style></head>\n"
         "<body><div class=\"dialog\"><h1>" +
         Text(caption) + "</h1>\n";
}

// Served under the host's root, as the reader's own links are.
std::string Link(const std::string& url) { return vxs::EscapeLinkAddress("/" + url); }

}  // namespace

std::string UrlWithFirmCode(const std::string& url, const std::string& firmCode) {
  return std::string(kScheme) + "FirmCode:" + firmCode +
         "::" + url.substr(std::min(url.size(), kScheme.size()));
}

std::string FirmCodePage(const WebDialogs::FirmCodeView& view, const std::string& url) {
  std::string page = PageStart(DlgFirmCode::kCaption);
  page += "<div class=\"frame\"><p>" + Text(DlgFirmCode::kIntroText) + "</p>\n<p id=\"name\">" +
          vxs::EscapeHtml(view.archiveName) + "</p></div>\n<p>" + Text(DlgFirmCode::kPromptText) +
          "</p>\n<ul id=\"firmcodes\">\n";
  for (const std::string& firmCode : view.firmCodes)
    page += "<li><a href=\"" + Link(UrlWithFirmCode(url, firmCode)) + "\">" +
            vxs::EscapeHtml(firmCode) + "</a></li>\n";
  page += "</ul>\n<p><a href=\"/\">Cancel</a></p></div></body></html>\n";
  return page;
}

std::string FileSelectPage(const WebDialogs::FileSelectView& view,
                           const std::vector<std::string>& messages, const std::string& url,
                           const std::string& token) {
  std::string page = PageStart(DlgFileSelect::kCaption);
  page += "<div class=\"frame\"><p id=\"file\">" + vxs::EscapeHtml(view.fileLine) +
          "</p>\n<p id=\"document\">" + vxs::EscapeHtml(view.documentLine) + "</p></div>\n";
  for (const std::string& message : messages)
    page += "<p class=\"message\">" + vxs::EscapeHtml(message) + "</p>\n";
  page += "<form method=\"post\" action=\"" + Link(url) +
          "\">\n<input type=\"hidden\" name=\"token\" value=\"" + vxs::EscapeHtml(token) +
          "\">\n<p><label for=\"path\">" +
          Text(DlgFileSelect::kPromptText) +
          "</label><br>\n<input id=\"path\" name=\"path\" size=\"60\" value=\"" +
          vxs::EscapeHtml(view.path) +
          "\"></p>\n<p><label><input type=\"checkbox\" name=\"update\" value=\"1\"" +
          (view.updateRegistry ? " checked" : "") +
          (view.updateRegistryEnabled ? "" : " disabled") + "> " +
          Text(DlgFileSelect::kUpdateRegistryText) +
          "</label></p>\n"
          "<p><button type=\"submit\">OK</button> <a "
          "href=\"/\">Cancel</a></p>\n</form></div></body></html>\n";
  return page;
}
