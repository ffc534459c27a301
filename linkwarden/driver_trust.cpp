#include "linkwarden/driver_trust.h"

#include "common/code_page.h"
#include "common/option_text.h"

namespace linkwarden {
namespace {

// Inside `folder` or one of its subfolders, the letter case of ASCII names
// aside (both paths are resolved by the same system, which keeps the case
// the names have on disk).
bool liesInside(std::u16string_view path, std::u16string_view folder) {
  while (!folder.empty() && folder.back() == u'\\') folder.remove_suffix(1);
  return !folder.empty() && path.size() > folder.size() + 1 && path[folder.size()] == u'\\' &&
         common::equalsIgnoringAsciiCase(path.substr(0, folder.size()), folder);
}

}  // namespace

std::u16string withoutVerbatimPrefix(std::u16string_view path) {
  if (path.starts_with(u"\\\\?\\UNC\\")) return u"\\\\" + std::u16string(path.substr(8));
  if (path.starts_with(u"\\\\?\\") || path.starts_with(u"\\??\\")) return std::u16string(path.substr(4));
  return std::u16string(path);
}

bool registeredInToolFolder(std::u16string_view registeredPath, std::u16string_view toolFolder) {
  return liesInside(withoutVerbatimPrefix(registeredPath), withoutVerbatimPrefix(toolFolder));
}

DriverVerdict judgeDriver(std::u16string_view toolFolder, const common::FileSignature& toolSignature,
                          const DriverFile& driver) {
  DriverVerdict verdict;
  if (driver.resolvedPath.empty()) {
    verdict.reason = "it cannot be opened (error " + std::to_string(driver.error) + ")";
    return verdict;
  }
  const std::string shown = common::toGbk(withoutVerbatimPrefix(driver.resolvedPath));
  if (toolFolder.empty()) {
    verdict.reason = "the tool's own folder cannot be read";
    return verdict;
  }
  if (!liesInside(driver.resolvedPath, toolFolder)) {
    verdict.reason = "it lies outside the tool's folder " + common::toGbk(withoutVerbatimPrefix(toolFolder)) +
                      " (resolved: " + shown + ")";
    return verdict;
  }
  // The rule that holds a downloaded installer to the installed one: the
  // same certificate, or a renewal of the publisher's under a trusted root.
  switch (common::JudgeDownload(toolSignature, driver.signature)) {
    case common::Verdict::kVerified:
    case common::Verdict::kRenewed:
      verdict.trusted = true;
      verdict.binaryPath = withoutVerbatimPrefix(driver.resolvedPath);
      verdict.reason = shown + " lies in the tool's folder and is signed by its publisher";
      return verdict;
    case common::Verdict::kUnverified:
      verdict.reason = "this tool is not signed, so no driver can be held to its publisher";
      return verdict;
    case common::Verdict::kRefused:
      break;
  }
  verdict.reason = common::WhyRefused(toolSignature, driver.signature, "this tool") + " (" + shown + ")";
  return verdict;
}

}  // namespace linkwarden
