// The tab pages of a shown dialog instance: gathering the pages' fields into
// the instance, building what the backend shows, and switching tabs.
#include <algorithm>

#include "toolkit/core/resource_script.h"
#include "toolkit/dialogs/dialog_status.h"
#include "toolkit/dialogs/dialog_table.h"
#include "toolkit/dialogs/modal_dialog.h"
#include "toolkit/dialogs/numeric_field.h"

namespace zarv::dialogs {
namespace {

// Pages inside pages inside pages: deeper than this is a mistake in the
// resources, not a layout anybody wants.
constexpr int kMaxPageDepth = 8;

int PageKey(std::size_t position) {
  return platform::kPageKeyBase + static_cast<int>(position);
}

bool TakesFocus(const Field& f) {
  switch (f.kind) {
    case FieldClass::kStatic:
    case FieldClass::kGroupBox:
    case FieldClass::kProgress:
    case FieldClass::kUpDown:
    case FieldClass::kOther:
      return false;
    default:
      return true;
  }
}

}  // namespace

void DialogInstance::add_pages(std::size_t first, std::size_t count, int depth,
                               std::vector<int>& seen) {
  if (depth >= kMaxPageDepth) return;
  for (std::size_t i = first; i < first + count; ++i) {
    if (fields_[i].kind != FieldClass::kTabControl) continue;
    const int tab_control = fields_[i].id;
    const std::vector<TabItem> tabs = fields_[i].tabs;  // fields_ grows below
    for (std::size_t t = 0; t < tabs.size(); ++t) {
      const Dialog* page = FindDialog(tabs[t].page);
      // A page shows in one place only, and never inside itself.
      if (!page || std::find(seen.begin(), seen.end(), tabs[t].page) != seen.end()) continue;
      seen.push_back(tabs[t].page);
      PagePart part;
      part.dialog = tabs[t].page;
      part.tab_control = tab_control;
      part.tab_index = static_cast<int>(t);
      part.first = fields_.size();
      for (const Field& pf : page->fields) {
        part.ids.push_back(pf.id);
        Field copy = pf;
        copy.id = PageKey(fields_.size());
        fields_.push_back(std::move(copy));
      }
      const std::size_t part_first = part.first, part_count = part.ids.size();
      pages_.push_back(std::move(part));
      add_pages(part_first, part_count, depth + 1, seen);
    }
  }
}

platform::DialogSpec DialogInstance::spec(int x, int y) const {
  platform::DialogSpec s = BuildDialogSpec(model_, x, y);
  if (pages_.empty()) return s;
  s.controls.clear();
  append_controls(s.controls, 0, own_count_, model_, nullptr);
  return s;
}

// The controls in tab order: each tab control is followed by its pages'
// controls, so that the Tab key walks into the page shown.
void DialogInstance::append_controls(std::vector<platform::ControlSpec>& out, std::size_t first,
                                     std::size_t count, const Dialog& layout,
                                     const PagePart* part) const {
  for (std::size_t k = 0; k < count && k < layout.layout.controls.size(); ++k) {
    const Field& f = fields_[first + k];
    platform::ControlSpec c = BuildControlSpec(f, layout.layout.controls[k]);
    if (part) {
      c.tab_control = part->tab_control;
      c.tab_index = part->tab_index;
      c.page = part->dialog;
      c.page_field = part->ids[k];
    }
    out.push_back(std::move(c));
    if (f.kind != FieldClass::kTabControl) continue;
    for (const PagePart& p : pages_) {
      if (p.tab_control != f.id) continue;
      if (const Dialog* page = FindDialog(p.dialog)) {
        append_controls(out, p.first, p.ids.size(), *page, &p);
      }
    }
  }
}

const DialogInstance::PagePart* DialogInstance::part_of(int id) const {
  if (!platform::IsPageKey(id)) return nullptr;
  const auto position = static_cast<std::size_t>(id - platform::kPageKeyBase);
  for (const PagePart& p : pages_) {
    if (position >= p.first && position < p.first + p.ids.size()) return &p;
  }
  return nullptr;
}

int DialogInstance::own_id(int id) const {
  const PagePart* p = part_of(id);
  return p ? p->ids[static_cast<std::size_t>(id - platform::kPageKeyBase) - p->first] : id;
}

int DialogInstance::dialog_of(int id) const {
  const PagePart* p = part_of(id);
  return p ? p->dialog : model_.record.identifier;
}

DialogRecord* DialogInstance::record_of(int id) {
  if (!part_of(id)) return &model_.record;
  Dialog* page = FindDialog(dialog_of(id));
  return page ? &page->record : nullptr;
}

void DialogInstance::store_back() {
  model_.fields.assign(fields_.begin(), fields_.begin() + static_cast<std::ptrdiff_t>(own_count_));
  for (const PagePart& p : pages_) {
    Dialog* page = FindDialog(p.dialog);
    // A page reloaded meanwhile is another dialog: leave it alone.
    if (!page || page->fields.size() != p.ids.size()) continue;
    for (std::size_t k = 0; k < p.ids.size(); ++k) {
      page->fields[k] = fields_[p.first + k];
      page->fields[k].id = p.ids[k];
    }
  }
}

bool DialogInstance::refresh_page_field(int dialog, int id) {
  for (const PagePart& p : pages_) {
    if (p.dialog != dialog) continue;
    Dialog* page = FindDialog(dialog);
    const Field* put = page ? page->field(id) : nullptr;
    const auto it = std::find(p.ids.begin(), p.ids.end(), id);
    if (!put || it == p.ids.end()) return true;
    Field& mine = fields_[p.first + static_cast<std::size_t>(it - p.ids.begin())];
    const int key = mine.id;
    mine = *put;
    mine.id = key;
    if (view_) show_field(mine);
    return true;
  }
  return false;
}

bool DialogInstance::invalid_numeric(int id) {
  const Field* f = numeric(id);
  return f && !TextIsValid(f->record, view_->text(id), f->number);
}

int DialogInstance::first_stop_on_page(int tab_control, int index) {
  for (const PagePart& p : pages_) {
    if (p.tab_control != tab_control || p.tab_index != index) continue;
    for (std::size_t k = 0; k < p.ids.size(); ++k) {
      const Field& f = fields_[p.first + k];
      const bool shown_enabled = f.record.initial_state == 1 || f.record.initial_state == 2;
      if (shown_enabled && (f.style & style::kTabStop) && TakesFocus(f)) return f.id;
    }
  }
  return 0;
}

bool DialogInstance::tab_switching(int id, int from_index, int to_index) {
  (void)from_index;  // the instance knows which tab is selected
  if (!view_ || adjusting_ || ended_) return false;
  refused_for_ = 0;
  Field* tabs = field(id);
  if (!tabs || tabs->kind != FieldClass::kTabControl || to_index < 0 ||
      static_cast<std::size_t>(to_index) >= tabs->tabs.size()) {
    return false;
  }
  const int old_index = tabs->tab_selection;
  if (to_index == old_index) return true;

  // An invalid number stays where it is: in the focused field, in a field
  // left for a push button, or anywhere on the page being left.
  int invalid = invalid_numeric(focus_) ? focus_ : invalid_numeric(deferred_) ? deferred_ : 0;
  for (const PagePart& p : pages_) {
    if (invalid != 0) break;
    if (p.tab_control != id || p.tab_index != old_index) continue;
    for (std::size_t k = 0; k < p.ids.size() && invalid == 0; ++k) {
      if (invalid_numeric(fields_[p.first + k].id)) invalid = fields_[p.first + k].id;
    }
  }
  if (invalid != 0) {
    deferred_ = 0;
    refuse_focus(*numeric(invalid), true);
    return false;
  }

  const int from_page = old_index >= 0 ? tabs->tabs[static_cast<std::size_t>(old_index)].page : 0;
  const int to_page = tabs->tabs[static_cast<std::size_t>(to_index)].page;
  tabs->tab_selection = to_index;
  if (DialogRecord* r = record_of(id)) {
    r->previous_tab = from_page;
    r->current_tab = to_page;
  }
  adjusting_ = true;
  view_->select_tab(id, to_index);
  adjusting_ = false;
  tab_switched(dialog_of(id), from_page, to_page);

  // The focus goes to the new page's first stop, or stays on the tabs.
  const int target = first_stop_on_page(id, to_index);
  const int to = target != 0 ? target : id;
  if (to != focus_) {
    focus_changing(focus_, to, platform::FocusCause::kProgram);
    if (focus_ == to) {
      adjusting_ = true;
      view_->set_focus(to);
      adjusting_ = false;
    }
  }
  return true;
}

}  // namespace zarv::dialogs
