// Parser of the resource script. It is fed only the program's own embedded
// script, but it is still written as a reader of untrusted text: every
// failure is a message with a line number, never a crash.
#include "toolkit/core/resource_script.h"

#include <cctype>
#include <charconv>
#include <stdexcept>
#include <unordered_map>

namespace zarv {
namespace {

struct Token {
  enum Kind { kEnd, kWord, kNumber, kString, kPunct } kind = kEnd;
  std::string text;
  long long number = 0;
  bool long_suffix = false;
  int line = 1;
};

struct ParseError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class Lexer {
 public:
  explicit Lexer(std::string_view s) : s_(s) {}

  Token next() {
    skip_space();
    Token t;
    t.line = line_;
    if (pos_ >= s_.size()) return t;
    const char c = s_[pos_];
    if (c == '"') return string_token(t);
    if (std::isdigit(static_cast<unsigned char>(c)) ||
        (c == '-' && pos_ + 1 < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_ + 1])))) {
      return number_token(t);
    }
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      const std::size_t start = pos_;
      while (pos_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '_')) ++pos_;
      t.kind = Token::kWord;
      t.text = std::string(s_.substr(start, pos_ - start));
      return t;
    }
    t.kind = Token::kPunct;
    t.text = std::string(1, c);
    ++pos_;
    return t;
  }

 private:
  void skip_space() {
    while (pos_ < s_.size()) {
      const char c = s_[pos_];
      if (c == '\n') {
        ++line_;
        ++pos_;
      } else if (c == ' ' || c == '\t' || c == '\r') {
        ++pos_;
      } else if (c == '/' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '/') {
        while (pos_ < s_.size() && s_[pos_] != '\n') ++pos_;
      } else if (c == '/' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '*') {
        pos_ += 2;
        while (pos_ + 1 < s_.size() && !(s_[pos_] == '*' && s_[pos_ + 1] == '/')) {
          if (s_[pos_] == '\n') ++line_;
          ++pos_;
        }
        pos_ = std::min(pos_ + 2, s_.size());
      } else if (c == '#' && at_line_start()) {  // preprocessor lines are not used
        while (pos_ < s_.size() && s_[pos_] != '\n') ++pos_;
      } else {
        break;
      }
    }
  }

  bool at_line_start() const {
    std::size_t i = pos_;
    while (i > 0 && (s_[i - 1] == ' ' || s_[i - 1] == '\t')) --i;
    return i == 0 || s_[i - 1] == '\n';
  }

  Token string_token(Token t) {
    ++pos_;
    t.kind = Token::kString;
    for (;;) {
      if (pos_ >= s_.size() || s_[pos_] == '\n') throw ParseError("unterminated string");
      const char c = s_[pos_++];
      if (c == '"') {
        if (pos_ < s_.size() && s_[pos_] == '"') {
          t.text += '"';
          ++pos_;
          continue;
        }
        return t;
      }
      if (c == '\\' && pos_ < s_.size()) {
        const char e = s_[pos_++];
        switch (e) {
          case 'n': t.text += '\n'; break;
          case 'r': t.text += '\r'; break;
          case 't': t.text += '\t'; break;
          case '0': t.text += '\0'; break;
          case '\\': t.text += '\\'; break;
          case '"': t.text += '"'; break;
          default: t.text += '\\'; t.text += e; break;
        }
        continue;
      }
      t.text += c;
    }
  }

  Token number_token(Token t) {
    t.kind = Token::kNumber;
    const bool negative = s_[pos_] == '-';
    if (negative) ++pos_;
    int base = 10;
    if (pos_ + 1 < s_.size() && s_[pos_] == '0' && (s_[pos_ + 1] == 'x' || s_[pos_ + 1] == 'X')) {
      base = 16;
      pos_ += 2;
    }
    const char* first = s_.data() + pos_;
    unsigned long long v = 0;
    auto [ptr, ec] = std::from_chars(first, s_.data() + s_.size(), v, base);
    if (ec != std::errc() || ptr == first || v > 0xFFFFFFFFull) throw ParseError("bad number");
    pos_ = static_cast<std::size_t>(ptr - s_.data());
    if (pos_ < s_.size() && (s_[pos_] == 'L' || s_[pos_] == 'l')) {
      t.long_suffix = true;
      ++pos_;
    }
    t.number = negative ? -static_cast<long long>(v) : static_cast<long long>(v);
    return t;
  }

  std::string_view s_;
  std::size_t pos_ = 0;
  int line_ = 1;
};

const std::unordered_map<std::string, std::uint32_t>& StyleNames() {
  using namespace style;
  static const std::unordered_map<std::string, std::uint32_t> names = {
      {"WS_POPUP", kPopup}, {"WS_CHILD", kChild}, {"WS_VISIBLE", kVisible},
      {"WS_DISABLED", kDisabled}, {"WS_CAPTION", kCaption}, {"WS_BORDER", kBorder},
      {"WS_SYSMENU", kSysMenu}, {"WS_VSCROLL", kVScroll}, {"WS_HSCROLL", kHScroll},
      {"WS_GROUP", kGroup}, {"WS_TABSTOP", kTabStop}, {"DS_MODALFRAME", kDsModalFrame},
      {"DS_SETFONT", kDsSetFont}, {"DS_CENTER", kDsCenter}, {"SS_LEFT", kSsLeft},
      {"SS_CENTER", kSsCenter}, {"SS_RIGHT", kSsRight}, {"SS_ICON", kSsIcon},
      {"SS_BITMAP", kSsBitmap}, {"SS_SUNKEN", kSsSunken}, {"BS_PUSHBUTTON", kBsPushButton},
      {"BS_DEFPUSHBUTTON", kBsDefPushButton}, {"BS_CHECKBOX", kBsCheckBox},
      {"BS_AUTOCHECKBOX", kBsAutoCheckBox}, {"BS_RADIOBUTTON", kBsRadioButton},
      {"BS_3STATE", kBs3State}, {"BS_AUTO3STATE", kBsAuto3State}, {"BS_GROUPBOX", kBsGroupBox},
      {"BS_AUTORADIOBUTTON", kBsAutoRadioButton}, {"BS_ICON", kBsIcon}, {"BS_BITMAP", kBsBitmap},
      {"ES_LEFT", kEsLeft}, {"ES_CENTER", kEsCenter}, {"ES_RIGHT", kEsRight},
      {"ES_MULTILINE", kEsMultiLine}, {"ES_AUTOHSCROLL", kEsAutoHScroll},
      {"ES_READONLY", kEsReadOnly}, {"CBS_SIMPLE", kCbsSimple}, {"CBS_DROPDOWN", kCbsDropDown},
      {"CBS_DROPDOWNLIST", kCbsDropDownList}, {"CBS_AUTOHSCROLL", kCbsAutoHScroll},
      {"LBS_NOTIFY", kLbsNotify}, {"LBS_MULTIPLESEL", kLbsMultipleSel},
      {"LBS_EXTENDEDSEL", kLbsExtendedSel}, {"WS_EX_NOPARENTNOTIFY", kExNoParentNotify},
      {"WS_EX_CLIENTEDGE", kExClientEdge}, {"WS_EX_STATICEDGE", kExStaticEdge},
  };
  return names;
}

class Parser {
 public:
  Parser(std::string_view s, const ResourceFileLookup& file) : lex_(s), file_(file) { advance(); }

  ResourceSet parse() {
    while (tok_.kind != Token::kEnd) statement();
    return std::move(out_);
  }

  int line() const { return tok_.line; }

 private:
  void advance() { tok_ = lex_.next(); }

  [[noreturn]] void fail(const std::string& what) { throw ParseError(what); }

  bool is_word(const char* w) const { return tok_.kind == Token::kWord && tok_.text == w; }
  bool is_punct(char c) const { return tok_.kind == Token::kPunct && tok_.text[0] == c; }

  void expect_punct(char c) {
    if (!is_punct(c)) fail(std::string("expected '") + c + "'");
    advance();
  }
  void skip_comma() {
    if (is_punct(',')) advance();
  }
  bool is_begin() const { return is_word("BEGIN") || is_punct('{'); }
  bool is_end() const { return is_word("END") || is_punct('}'); }
  void expect_begin() {
    if (!is_begin()) fail("expected BEGIN");
    advance();
  }

  long long number() {
    if (tok_.kind != Token::kNumber) fail("expected a number");
    const long long v = tok_.number;
    advance();
    return v;
  }
  int small_number() {
    const long long v = number();
    if (v < -32768 || v > 65535) fail("number out of range");
    return static_cast<int>(v);
  }
  std::string string() {
    if (tok_.kind != Token::kString) fail("expected a string");
    std::string v = std::move(tok_.text);
    advance();
    return v;
  }

  std::uint32_t style_expr() {
    std::uint32_t v = 0;
    bool any = false;
    for (;;) {
      bool negate = false;
      if (is_word("NOT")) {
        negate = true;
        advance();
      }
      std::uint32_t term = 0;
      if (tok_.kind == Token::kNumber) {
        term = static_cast<std::uint32_t>(number());
      } else if (tok_.kind == Token::kWord) {
        auto it = StyleNames().find(tok_.text);
        if (it == StyleNames().end()) fail("unknown style " + tok_.text);
        term = it->second;
        advance();
      } else {
        if (!any) fail("expected a style");
        return v;
      }
      v = negate ? (v & ~term) : (v | term);
      any = true;
      if (!is_punct('|')) return v;
      advance();
    }
  }

  std::string file_bytes(const std::string& name) {
    auto bytes = file_(name);
    if (!bytes) fail("file not found: " + name);
    return *bytes;
  }

  void statement() {
    if (is_word("STRINGTABLE")) {
      advance();
      while (!is_begin()) {
        if (tok_.kind == Token::kEnd) fail("expected BEGIN");
        advance();  // memory options are accepted and ignored
      }
      advance();
      while (!is_end()) {
        const int id = small_number();
        skip_comma();
        out_.strings[id] = string();
      }
      advance();
      return;
    }
    if (tok_.kind != Token::kWord && tok_.kind != Token::kNumber) fail("expected a resource name");
    const std::string name = tok_.kind == Token::kNumber ? std::to_string(tok_.number) : tok_.text;
    const bool numeric = tok_.kind == Token::kNumber;
    const long long id = tok_.number;
    advance();
    if (tok_.kind != Token::kWord) fail("expected a resource type");
    const std::string type = tok_.text;
    advance();
    if (type == "ICON") {
      out_.icons[name] = file_bytes(string());
    } else if (type == "BITMAP") {
      out_.bitmaps[name] = file_bytes(string());
    } else if (!numeric || id < 0 || id > 65535) {
      fail("resource " + name + " needs a number from 0 to 65535");
    } else if (type == "MENU") {
      MenuNode bar;
      menu_items(bar);
      out_.menus[static_cast<int>(id)] = std::move(bar);
    } else if (type == "RCDATA") {
      out_.rcdata[static_cast<int>(id)] = rcdata();
    } else if (type == "DIALOG" || type == "DIALOGEX") {
      out_.dialogs[static_cast<int>(id)] = dialog(static_cast<int>(id));
    } else {
      fail("unknown resource type " + type);
    }
  }

  void menu_items(MenuNode& parent) {
    expect_begin();
    while (!is_end()) {
      if (tok_.kind == Token::kEnd) fail("menu without END");
      MenuNode item;
      if (is_word("POPUP")) {
        advance();
        item.popup = true;
        item.text = string();
        menu_options(item);
        menu_items(item);
      } else if (is_word("MENUITEM")) {
        advance();
        if (is_word("SEPARATOR")) {
          advance();
          item.separator = true;
        } else {
          item.text = string();
          skip_comma();
          item.id = small_number();
          menu_options(item);
        }
      } else {
        fail("expected POPUP or MENUITEM");
      }
      parent.items.push_back(std::move(item));
    }
    advance();
  }

  void menu_options(MenuNode& item) {
    while (is_punct(',') || is_word("GRAYED") || is_word("CHECKED") || is_word("INACTIVE")) {
      if (is_word("GRAYED") || is_word("INACTIVE")) item.grayed = true;
      if (is_word("CHECKED")) item.checked = true;
      advance();
    }
  }

  std::string rcdata() {
    if (tok_.kind == Token::kString) return file_bytes(string());
    expect_begin();
    std::string bytes;
    while (!is_end()) {
      if (tok_.kind == Token::kString) {
        bytes += string();
      } else {
        const bool wide = tok_.long_suffix;
        const auto v = static_cast<std::uint32_t>(number());
        const int n = wide ? 4 : 2;
        for (int i = 0; i < n; ++i) bytes += static_cast<char>((v >> (8 * i)) & 0xFF);
      }
      skip_comma();
    }
    advance();
    return bytes;
  }

  DialogTemplate dialog(int id) {
    DialogTemplate d;
    d.id = id;
    d.x = small_number(); skip_comma();
    d.y = small_number(); skip_comma();
    d.cx = small_number(); skip_comma();
    d.cy = small_number();
    d.style = style::kPopup | style::kBorder | style::kSysMenu;
    for (;;) {
      if (is_word("STYLE")) {
        advance();
        d.style = style_expr();
      } else if (is_word("EXSTYLE")) {
        advance();
        d.exstyle = style_expr();
      } else if (is_word("CAPTION")) {
        advance();
        d.caption = string();
        d.style |= style::kCaption;
      } else if (is_word("FONT")) {
        advance();
        d.font_points = small_number();
        skip_comma();
        d.font_face = string();
        d.style |= style::kDsSetFont;
      } else {
        break;
      }
    }
    expect_begin();
    while (!is_end()) {
      if (tok_.kind == Token::kEnd) fail("dialog without END");
      d.controls.push_back(control());
    }
    advance();
    return d;
  }

  void geometry(ControlTemplate& c) {
    c.x = small_number(); skip_comma();
    c.y = small_number(); skip_comma();
    c.cx = small_number(); skip_comma();
    c.cy = small_number();
  }

  // Optional ", style [, exstyle]" after a short control statement.
  void trailing_styles(ControlTemplate& c) {
    if (!is_punct(',')) return;
    advance();
    c.style |= style_expr();
    if (!is_punct(',')) return;
    advance();
    c.exstyle = style_expr();
  }

  ControlTemplate control() {
    using namespace style;
    if (tok_.kind != Token::kWord) fail("expected a control statement");
    const std::string kind = tok_.text;
    advance();
    ControlTemplate c;
    c.style = kChild | kVisible;
    if (kind == "CONTROL") {
      c.text = string(); skip_comma();
      c.id = small_number(); skip_comma();
      if (tok_.kind == Token::kString) {
        c.cls = string();
      } else if (tok_.kind == Token::kWord) {
        c.cls = tok_.text;
        advance();
      } else {
        fail("expected a class name");
      }
      skip_comma();
      c.style |= style_expr(); skip_comma();
      geometry(c);
      if (is_punct(',')) {
        advance();
        c.exstyle = style_expr();
      }
      return c;
    }
    struct Short {
      const char* cls;
      std::uint32_t style;
      bool has_text;
    };
    static const std::unordered_map<std::string, Short> shorts = {
        {"LTEXT", {"STATIC", kSsLeft | kGroup, true}},
        {"RTEXT", {"STATIC", kSsRight | kGroup, true}},
        {"CTEXT", {"STATIC", kSsCenter | kGroup, true}},
        {"PUSHBUTTON", {"BUTTON", kBsPushButton | kTabStop, true}},
        {"DEFPUSHBUTTON", {"BUTTON", kBsDefPushButton | kTabStop, true}},
        {"GROUPBOX", {"BUTTON", kBsGroupBox, true}},
        {"CHECKBOX", {"BUTTON", kBsCheckBox | kTabStop, true}},
        {"AUTOCHECKBOX", {"BUTTON", kBsAutoCheckBox | kTabStop, true}},
        {"RADIOBUTTON", {"BUTTON", kBsRadioButton, true}},
        {"AUTORADIOBUTTON", {"BUTTON", kBsAutoRadioButton, true}},
        {"EDITTEXT", {"EDIT", kEsLeft | kBorder | kTabStop, false}},
        {"COMBOBOX", {"COMBOBOX", kCbsSimple | kTabStop, false}},
        {"LISTBOX", {"LISTBOX", kLbsNotify | kBorder, false}},
    };
    auto it = shorts.find(kind);
    if (it == shorts.end()) fail("unknown control statement " + kind);
    c.cls = it->second.cls;
    c.style |= it->second.style;
    if (it->second.has_text) {
      c.text = string();
      skip_comma();
    }
    c.id = small_number(); skip_comma();
    geometry(c);
    if (kind == "COMBOBOX" || kind == "LISTBOX") {
      // An explicit type in the style replaces the default one.
      if (is_punct(',')) {
        advance();
        const std::uint32_t given = style_expr();
        if (kind == "COMBOBOX" && (given & kCbsTypeMask) != 0) c.style &= ~kCbsTypeMask;
        c.style |= given;
        if (is_punct(',')) {
          advance();
          c.exstyle = style_expr();
        }
      }
      return c;
    }
    trailing_styles(c);
    return c;
  }

  Lexer lex_;
  const ResourceFileLookup& file_;
  Token tok_;
  ResourceSet out_;
};

}  // namespace

ResourceScriptResult ParseResourceScript(std::string_view script, const ResourceFileLookup& file) {
  ResourceScriptResult result;
  int line = 1;
  try {
    Parser p(script, file);
    try {
      result.resources = p.parse();
    } catch (const ParseError& e) {
      line = p.line();
      result.error = "line " + std::to_string(line) + ": " + e.what();
    }
  } catch (const ParseError& e) {
    result.error = "line 1: " + std::string(e.what());
  }
  return result;
}

}  // namespace zarv
