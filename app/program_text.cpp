#include "app/program_text.h"

#include <string>

#include "app/win_text.h"
#include "core/error.h"

namespace ostrivel {
namespace {

Text MessageOf(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const Error& e) {
    return e.Message();
  } catch (const std::exception& e) {
    return U(e.what());
  } catch (...) {
    return U("未知错误");
  }
}

// The failure nested inside `failure`, or null.
std::exception_ptr InnerOf(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const std::nested_exception& nested) {
    return nested.nested_ptr();
  } catch (...) {
    return nullptr;
  }
}

}  // namespace

Text WithFullStop(Text text) {
  if (!text.empty() && text.back() > u'.') text.push_back(u'.');
  return text;
}

Text FailureBoxText(std::exception_ptr failure) {
  Text text = MessageOf(failure);
  std::exception_ptr innermost;
  for (auto inner = InnerOf(failure); inner; inner = InnerOf(inner)) innermost = inner;
  if (innermost) {
    Text inner = MessageOf(innermost);
    if (!inner.empty()) text = std::move(inner);
  }
  return WithFullStop(std::move(text));
}

Text ProgramTitle(TextView modulePath) {
  const size_t slash = modulePath.rfind(u'\\');
  TextView name = slash == TextView::npos ? modulePath : modulePath.substr(slash + 1);
  name = name.substr(0, name.find(u'.'));
  Text title(name);
  if (title.empty()) return title;
  // The first character stays as it is; it may be a surrogate pair.
  const wchar_t* rest = CharNextW(reinterpret_cast<const wchar_t*>(title.c_str()));
  CharLowerW(const_cast<wchar_t*>(rest));
  return title;
}

Text FolderOfPath(TextView path) {
  const size_t end = path.find_last_of(u"\\:");
  return end == TextView::npos ? Text() : Text(path.substr(0, end + 1));
}

}  // namespace ostrivel
