// Reading one script line: words, quotes and escapes, then what the verb says.
#include <algorithm>
#include <charconv>
#include <string>

#include "toolkit/platform/script.h"
#include "toolkit/platform/utf8.h"

namespace zarv::platform {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Reads a quoted word starting at line[pos] == '"'; on success pos is past
// the closing quote.
bool ReadQuoted(std::string_view line, std::size_t& pos, std::string& out, std::string& error) {
  const std::size_t start = pos++;
  while (pos < line.size()) {
    const char c = line[pos++];
    if (c == '"') return true;
    if (c != '\\') {
      out += c;
      continue;
    }
    if (pos >= line.size()) break;
    const char e = line[pos++];
    switch (e) {
      case '\\': out += '\\'; break;
      case '"': out += '"'; break;
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'x': {
        const int hi = pos < line.size() ? HexDigit(line[pos]) : -1;
        const int lo = pos + 1 < line.size() ? HexDigit(line[pos + 1]) : -1;
        if (hi < 0 || lo < 0) {
          error = "bad escape \\x: two hex digits must follow (column " + std::to_string(pos - 1) + ")";
          return false;
        }
        out += static_cast<char>(hi * 16 + lo);
        pos += 2;
        break;
      }
      default:
        error = "unknown escape \\";
        error += Quote(std::string_view(&e, 1)).substr(1);
        error.pop_back();
        error += " (column " + std::to_string(pos - 1) + ")";
        return false;
    }
  }
  error = "quoted string not closed (opened at column " + std::to_string(start + 1) + ")";
  return false;
}

bool ToInt(const std::string& s, int& value) {
  if (s.empty()) return false;
  const char* first = s.data();
  const char* last = s.data() + s.size();
  const auto [ptr, ec] = std::from_chars(first, last, value);
  return ec == std::errc{} && ptr == last;
}

struct Arity {
  std::size_t min, max;
};

}  // namespace

bool SplitScriptLine(std::string_view line, std::vector<ScriptWord>& words, std::string& error) {
  words.clear();
  std::size_t pos = 0;
  while (true) {
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos >= line.size()) return true;
    ScriptWord word;
    if (line[pos] == '"') {
      word.quoted = true;
      if (!ReadQuoted(line, pos, word.text, error)) return false;
      if (pos < line.size() && !IsBlank(line[pos])) {
        error = "a blank must follow the closing quote (column " + std::to_string(pos + 1) + ")";
        return false;
      }
    } else {
      while (pos < line.size() && !IsBlank(line[pos])) {
        if (line[pos] == '"') {
          error = "quote inside an unquoted word (column " + std::to_string(pos + 1) + ")";
          return false;
        }
        word.text += line[pos++];
      }
    }
    words.push_back(std::move(word));
  }
}

ScriptLine ParseScriptLine(std::string_view text, int number) {
  ScriptLine out;
  out.number = number;
  std::vector<ScriptWord> words;
  if (!SplitScriptLine(text, words, out.error)) return out;
  if (words.empty()) {
    out.error = "empty line";
    return out;
  }
  out.verb = words[0].text;
  const std::string& verb = out.verb;
  const std::size_t args = words.size() - 1;

  auto bad = [&](std::string why) {
    out.kind = ScriptLine::Kind::kBad;
    out.error = verb + ": " + std::move(why);
    return out;
  };
  auto wants = [&](Arity a, const char* usage) -> bool {
    if (args < a.min || args > a.max) {
      out.error = verb + ": " + (args < a.min ? "missing arguments" : "too many arguments") +
                  "; usage: " + usage;
      return false;
    }
    return true;
  };
  // Integer argument `i` (1-based), into `value`.
  auto integer = [&](std::size_t i, int& value, const char* what) -> bool {
    if (!ToInt(words[i].text, value)) {
      out.error = verb + ": " + what + " must be a whole number, not " + Quote(words[i].text);
      return false;
    }
    return true;
  };
  auto event = [&](InputKind kind) {
    out.kind = ScriptLine::Kind::kEvent;
    out.event.kind = kind;
  };
  auto action = [&](DialogAction::Kind kind) {
    out.kind = ScriptLine::Kind::kAction;
    out.action = DialogAction{kind};
    out.action.line = number;
  };

  if (verb == "menu") {
    if (!wants({1, 1}, "menu ID") || !integer(1, out.event.a, "ID")) return out;
    event(InputKind::kMenuPick);
  } else if (verb == "close" || verb == "minimize" || verb == "restore") {
    if (!wants({0, 0}, verb.c_str())) return out;
    event(verb == "close" ? InputKind::kCloseAsked
                          : verb == "minimize" ? InputKind::kMinimise : InputKind::kRestore);
  } else if (verb == "expose") {
    if (args != 0 && args != 4) return bad("takes no arguments or X Y W H");
    Input& e = out.event;
    e.c = e.d = -1;
    if (args == 4) {
      if (!integer(1, e.a, "X") || !integer(2, e.b, "Y") || !integer(3, e.c, "W") ||
          !integer(4, e.d, "H"))
        return out;
      if (e.c <= 0 || e.d <= 0) return bad("width and height must be positive");
      e.a = std::clamp(e.a, -kMaxClientSide, kMaxClientSide);
      e.b = std::clamp(e.b, -kMaxClientSide, kMaxClientSide);
      e.c = ClampSide(e.c);
      e.d = ClampSide(e.d);
    }
    event(InputKind::kExpose);
  } else if (verb == "resize") {
    if (!wants({2, 2}, "resize W H") || !integer(1, out.event.a, "W") ||
        !integer(2, out.event.b, "H"))
      return out;
    if (out.event.a <= 0 || out.event.b <= 0) return bad("width and height must be positive");
    out.event.a = ClampSide(out.event.a);
    out.event.b = ClampSide(out.event.b);
    event(InputKind::kResize);
  } else if (verb == "box") {
    if (!wants({1, 1}, "box RESULT") || !integer(1, out.value, "RESULT")) return out;
    out.kind = ScriptLine::Kind::kBox;
  } else if (verb == "file") {
    if (!wants({1, 2}, "file PATH [INDEX] or file cancel")) return out;
    if (words[1].text == "cancel" && !words[1].quoted) {
      if (args != 1) return bad("file cancel takes no index");
    } else {
      if (words[1].text.empty()) return bad("the path is empty");
      out.file.chosen = true;
      out.file.path = words[1].text;
      if (args == 2) {
        int index = 0;
        if (!integer(2, index, "INDEX")) return out;
        if (index < 1) return bad("INDEX counts from 1");
        out.file.index = index;
      }
    }
    out.kind = ScriptLine::Kind::kFile;
  } else if (verb == "dialog") {
    if (!wants({1, 1}, "dialog ID") || !integer(1, out.value, "ID")) return out;
    out.kind = ScriptLine::Kind::kDialog;
  } else if (verb == "type") {
    if (!wants({2, 2}, "type FIELD TEXT") || !integer(1, out.action.field, "FIELD")) return out;
    const int field = out.action.field;
    action(DialogAction::kType);
    out.action.field = field;
    out.action.text = words[2].text;
  } else if (verb == "clear" || verb == "focus" || verb == "press") {
    int field = 0;
    if (!wants({1, 1}, (verb + " FIELD").c_str()) || !integer(1, field, "FIELD")) return out;
    action(verb == "clear" ? DialogAction::kClear
                           : verb == "focus" ? DialogAction::kFocus : DialogAction::kPress);
    out.action.field = field;
  } else if (verb == "pick") {
    int field = 0, option = 0;
    if (!wants({2, 2}, "pick FIELD N") || !integer(1, field, "FIELD") ||
        !integer(2, option, "N"))
      return out;
    if (option < 1) return bad("N counts from 1");
    action(DialogAction::kPick);
    out.action.field = field;
    out.action.option = option;
  } else if (verb == "tab" || verb == "enter" || verb == "esc" || verb == "closebox") {
    if (!wants({0, 0}, verb.c_str())) return out;
    action(verb == "tab" ? DialogAction::kTab
           : verb == "enter" ? DialogAction::kEnter
           : verb == "esc" ? DialogAction::kEsc : DialogAction::kCloseBox);
  } else {
    out.error = "unknown verb " + Quote(verb);
  }
  return out;
}

std::vector<TypedKey> KeysOfTypedText(std::string_view text) {
  std::vector<TypedKey> keys;
  for (std::size_t i = 0; i < text.size();) {
    const Utf8Char c = NextUtf8(text, i);
    TypedKey key;
    key.bytes = text.substr(i, c.length);
    key.ch = c.code;
    i += c.length;
    if (!c.valid) {
      key.kind = TypedKey::kNoKey;
    } else if (c.code < 0x20 || c.code == 0x7F) {
      switch (c.code) {
        case '\b': key.kind = TypedKey::kBackspace; break;
        case '\t': key.kind = TypedKey::kTab; break;
        case '\r': case '\n': key.kind = TypedKey::kEnter; break;
        case 0x1B: key.kind = TypedKey::kEsc; break;
        default: key.kind = TypedKey::kNoKey; break;
      }
    }
    keys.push_back(key);
  }
  return keys;
}

std::string NoKeyText(const TypedKey& key) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const auto b = static_cast<unsigned char>(key.bytes.empty() ? 0 : key.bytes[0]);
  return std::string("byte 0x") + kHex[b >> 4] + kHex[b & 15] + " is no key";
}

}  // namespace zarv::platform
