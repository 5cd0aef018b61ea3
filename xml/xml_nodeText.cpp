// Reading a node from text and writing it back (the tree operations are in xml_node.cpp).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "xml_functions.h"
#include "xml_node.h"
#include "xml_scan.h"
#include "xml_textFile.h"
#include "xml_textStream.h"

namespace {

// What reading one document needs: its text, where the reader stands, and the arena the tree's
// nodes and strings go to. Names repeat through a document (each day and dream has the same
// ones), and so do many values of an attribute ("true", "false"): the tree shares one copy of a
// name, and of an attribute's value while the value stays the same.
struct TReader {
  TXMLTextStream& Stream;
  TXMLArena& Arena;
  std::size_t& Pos;
  std::string_view Text = Stream.Text();
  std::size_t TokenEnd = 0;  // the "<" after a text node or the ">" of a tag; npos at the end
  struct Slot {
    TXMLStringRef Name, Value;
  } Names[128] = {};

  // Makes the text hold the whole of the next text node or tag, or all that is left.
  void NeedToken() {
    Text = Stream.Text();
    if (Pos < Text.size()) {  // the usual case: the token ends in the text the window holds
      const std::size_t end = FindByte(Text, Text[Pos] == '<' ? '>' : '<', Pos);
      if (end < Text.size()) {
        TokenEnd = end;
        return;
      }
    }
    Stream.NeedBytes(Pos, 1);
    Text = Stream.Text();
    TokenEnd = Pos < Text.size() ? Stream.Need(Pos, Text[Pos] == '<' ? ">" : "<") : std::string_view::npos;
    Text = Stream.Text();
  }
  static std::string_view View(const TXMLStringRef& s) { return TXMLString::View(s.Word, reinterpret_cast<const char*>(&s.Word)); }
  void Copy(TXMLString& field, std::string_view s) { field.Borrow(Arena.NewString(s)); }
  // `kept` when it holds s, else a new string of s (a short one is compared as one word).
  TXMLStringRef Share(TXMLStringRef kept, std::string_view s) {
    if (s.size() - 1 < TXMLString::MaxInline) return {TXMLString::InlineWord(s)};
    return View(kept) == s ? kept : Arena.NewString(s);
  }
  Slot& CopyName(TXMLString& field, std::string_view s) {
    const unsigned h = s.empty() ? 0 : s.size() * 7 + static_cast<unsigned char>(s.front()) * 31 + static_cast<unsigned char>(s.back());
    Slot& slot = Names[h & 127];
    const TXMLStringRef name = Share(slot.Name, s);
    if (name.Word != slot.Name.Word) slot = {name, {}};
    field.Borrow(name);
    return slot;
  }
};

// Reads the attributes and the end of a start tag; Pos stands after the blank that ended the name.
TXMLResult ParseAttributes(TXMLNode& node, TReader& r) {
  const std::string_view text = r.Text;
  const std::size_t gt = r.TokenEnd;
  if (gt == std::string_view::npos) return xrTruncated;
  std::string_view rest = text.substr(r.Pos, gt + 1 - r.Pos);
  r.Pos = gt + 1;
  if (rest.size() >= 2 && rest[rest.size() - 2] == '/') node.Kind = nkEmpty;
  // A token runs through its second double quote; the byte after it is a separator, whatever it
  // is. The rest is treated as followed by one more blank, which is never stored. The tokens are
  // collected first so that the list is allocated at its exact size.
  thread_local std::vector<std::string_view> bodies;
  bodies.clear();
  std::size_t p = 0;
  while (p <= rest.size()) {
    const std::size_t q1 = FindByte(rest, '"', p);
    const std::size_t q2 = q1 == rest.size() ? q1 : FindByte(rest, '"', q1 + 1);
    std::string_view body;
    if (q2 == rest.size()) {
      body = rest.substr(p);
      p = rest.size() + 1;
    } else {
      body = rest.substr(p, q2 + 1 - p);
      p = q2 + 2;
    }
    if (!body.empty() && body != ">" && body != "/>") bodies.push_back(body);
  }
  const std::size_t n = bodies.size();
  TXMLAttribute* list = r.Arena.AllocateArray<TXMLAttribute>(n);
  std::uninitialized_default_construct_n(list, n);
  node.Attributes.Adopt(list, n);
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t eq = FindByte(bodies[i], '=', 0);
    if (eq == bodies[i].size()) {
      node.Attributes.erase(node.Attributes.begin() + i + 1, node.Attributes.end());  // the tree as far as it was read
      return xrMalformedAttribute;
    }
    TReader::Slot& slot = r.CopyName(list[i].Name, bodies[i].substr(0, eq));
    const std::string_view value = UnquotedPart(bodies[i].substr(eq + 1));
    slot.Value = r.Share(slot.Value, value);
    list[i].Value.Borrow(slot.Value);
  }
  return xrOk;
}

// Reads a text node or a start tag (not the content of the element); the text holds the token.
TXMLResult ParseHead(TXMLNode& node, int level, TReader& r) {
  const std::string_view text = r.Text;
  std::size_t& pos = r.Pos;
  node.Level = level;
  const std::size_t n = text.size();
  if (pos >= n) return xrTruncated;  // content expected, but the text has ended
  if (text[pos] != '<') {
    const std::size_t lt = std::min(r.TokenEnd, n);
    node.Kind = nkText;
    r.Copy(node.Text, text.substr(pos, lt - pos));
    pos = lt;
    return xrOk;
  }
  std::size_t i = pos + 1;
  while (i < n && text[i] != ' ' && text[i] != '/' && text[i] != '>') ++i;
  if (i == pos + 1 && i < n) return xrBadTag;  // "< ", "</" or "<>": nothing is consumed
  if (i >= n) return xrTruncated;
  node.Kind = nkElement;
  r.CopyName(node.Name, text.substr(pos + 1, i - pos - 1));
  if (text[i] == '/') {
    node.Kind = nkEmpty;
    if (i + 1 >= n) return xrTruncated;
    pos = i + 2;  // the slash and the byte after it, meant to be ">"
  } else if (text[i] == '>') {
    pos = i + 1;
  } else {
    pos = i + 1;
    return ParseAttributes(node, r);
  }
  return xrOk;
}

bool AtEndTag(std::string_view text, std::size_t pos, std::string_view name) {
  if (text.size() - pos < name.size() + 3 || text[pos] != '<' || text[pos + 1] != '/') return false;
  const char* p = text.data() + pos + 2;
  for (char c : name)  // names are short: a loop is cheaper than a call
    if (*p++ != c) return false;
  return *p == '>';
}

}  // namespace

TXMLResult TXMLNode::Parse(int level, TXMLTextStream& stream, std::size_t& pos, TXMLArena& arena) {
  TReader r{stream, arena, pos};
  r.NeedToken();
  if (TXMLResult result = ParseHead(*this, level, r)) return result;
  if (Kind != nkElement) return xrOk;
  // Open elements, innermost last. Their children collect in `pending` and move into the element
  // when it closes (or when the parse fails), so each Children list is allocated at its exact size.
  struct Open {
    TXMLNode* node;
    std::size_t firstChild;
  };
  std::vector<Open> open{{this, 0}};
  std::vector<std::unique_ptr<TXMLNode>> pending;
  auto close = [&] {
    Open top = open.back();
    open.pop_back();
    auto& list = top.node->Children;
    const std::size_t n = list.size() + pending.size() - top.firstChild;
    auto* children = arena.AllocateArray<std::unique_ptr<TXMLNode>>(n);
    auto* next = std::uninitialized_move(list.begin(), list.end(), children);
    std::uninitialized_move(pending.begin() + static_cast<std::ptrdiff_t>(top.firstChild), pending.end(), next);
    list.Adopt(children, n);
    pending.resize(top.firstChild);
  };
  TXMLResult result = xrOk;
  while (!open.empty()) {
    TXMLNode* node = open.back().node;
    r.NeedToken();
    if (AtEndTag(r.Text, pos, node->Name)) {
      pos += node->Name.size() + 3;
      close();
      continue;
    }
    if (pos >= r.Text.size()) {  // the end tag never came: no empty child is added for it
      result = xrTruncated;
      break;
    }
    if (open.size() >= static_cast<std::size_t>(kMaxDepth)) {
      result = xrTooDeep;
      break;
    }
    pending.push_back(std::unique_ptr<TXMLNode>(NewInArena(arena)));
    TXMLNode* child = pending.back().get();
    // A failing child stays appended, as far as it was read.
    if ((result = ParseHead(*child, node->Level + 1, r)) != xrOk) break;
    if (child->Kind == nkElement) open.push_back({child, pending.size()});
  }
  while (!open.empty()) close();
  return result;
}

void TXMLNode::WriteTo(TXMLTextFile& file) const {
  std::string& out = file.Buffer;
  auto indent = [&](int level) { out.append(2 * static_cast<std::size_t>(std::clamp(level, 0, kMaxIndentLevel)), ' '); };
  auto oneText = [](const TXMLNode* n) { return n->Children.size() == 1 && n->Children[0]->Kind == nkText; };
  // Each entry is a node to write, or (closing) the end tag of an element whose children are done.
  struct Step {
    const TXMLNode* node;
    bool closing;
  };
  std::vector<Step> steps{{this, false}};
  while (!steps.empty()) {
    Step step = steps.back();
    steps.pop_back();
    file.MaybeFlush();
    const TXMLNode* n = step.node;
    if (step.closing) {
      if (!oneText(n)) indent(n->Level);
      out += "</";
      AppendSafeName(out, n->Name);
      out += ">\r\n";
      continue;
    }
    if (n->Kind == nkText) {
      AppendTextNode(out, n->Text);
      continue;
    }
    indent(n->Level);
    out += '<';
    AppendSafeName(out, n->Name);
    for (const TXMLAttribute& a : n->Attributes) {
      out += ' ';
      AppendSafeName(out, a.Name);
      out += "=\"";
      AppendSafeValue(out, a.Value);
      out += '"';
    }
    if (n->Kind == nkEmpty) {
      out += " />\r\n";
      continue;
    }
    out += oneText(n) ? ">" : ">\r\n";
    steps.push_back({n, true});
    for (auto it = n->Children.rbegin(); it != n->Children.rend(); ++it) steps.push_back({it->get(), false});
  }
}
