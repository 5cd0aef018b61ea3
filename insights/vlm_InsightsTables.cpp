#include "vlm_InsightsTables.h"

#include <charconv>
#include <optional>

#include "xml_functions.h"

namespace {

const char* const kWeekdays[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                               "July",    "August",   "September", "October", "November", "December"};

// Up to three decimals, without trailing zeros.
std::string Number(double value) {
  char text[64];
  const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 3).ptr;
  std::string s(text, end);
  while (s.find('.') != std::string::npos && (s.back() == '0' || s.back() == '.')) s.pop_back();
  return s == "-0" ? "0" : s;
}

std::string LabelName(const TLabelCaptions& labels, int n) {
  const std::string& caption = labels[static_cast<std::size_t>(n)];
  return caption.empty() ? "label" + std::to_string(n + 1) : Cp1251ToUtf8(caption);
}

// A CSV field: quoted when it holds a comma, a quote or a line break.
std::string Field(const std::string& utf8) {
  if (utf8.find_first_of(",\"\r\n") == std::string::npos) return utf8;
  std::string quoted = "\"";
  for (const char c : utf8) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

void Row(std::string& out, std::initializer_list<std::string> fields) {
  bool first = true;
  for (const std::string& f : fields) {
    if (!first) out += ',';
    out += Field(f);
    first = false;
  }
  out += "\r\n";
}

std::string Json(const std::string& utf8) {
  std::string s = "\"";
  for (const char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      s += '\\';
      s += ch;
    } else if (c < 0x20) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\u%04x", c);
      s += esc;
    } else {
      s += ch;
    }
  }
  return s + '"';
}

std::string JsonDate(std::optional<int> day) { return day ? Json(IsoDateText(*day)) : "null"; }

template <class Container>
std::string JsonArray(const Container& values) {
  std::string s = "[";
  for (const auto& v : values) s += (s.size() > 1 ? "," : "") + std::to_string(v);
  return s + "]";
}

std::string ContrastJson(const TContrast& contrast) {
  std::string s = "{\"group_dreams\":" + std::to_string(contrast.GroupDreams) +
                  ",\"outside_dreams\":" + std::to_string(contrast.OutsideDreams) + ",\"items\":[";
  for (std::size_t i = 0; i < contrast.Items.size(); ++i) {
    const TContrastItem& item = contrast.Items[i];
    s += (i ? "," : "") + std::string("{\"word\":") + Json(Cp1251ToUtf8(item.Word)) +
         ",\"in_group\":" + std::to_string(item.InGroup) + ",\"outside\":" + std::to_string(item.Outside) +
         ",\"score\":" + Number(item.Score) + "}";
  }
  return s + "]}";
}

}  // namespace

std::string SeriesCsv(const TSeries& series, const TLabelCaptions& labels) {
  std::string out;
  Row(out, {"period_start", "period_end", "dreams", "nights", LabelName(labels, 0), LabelName(labels, 1),
            LabelName(labels, 2), LabelName(labels, 3), "mean_energy"});
  for (const TBucket& b : series.Buckets) {
    const auto mean = b.MeanEnergy();
    Row(out, {IsoDateText(b.Start), IsoDateText(b.Next - 1), std::to_string(b.Dreams), std::to_string(b.Nights),
              std::to_string(b.Labels[0]), std::to_string(b.Labels[1]), std::to_string(b.Labels[2]),
              std::to_string(b.Labels[3]), mean ? Number(*mean) : ""});
  }
  return out;
}

std::string RecallCsv(const TRecall& r) {
  std::string out;
  Row(out, {"measure", "key", "value"});
  Row(out, {"nights", "", std::to_string(r.Nights)});
  Row(out, {"dreams", "", std::to_string(r.Dreams)});
  Row(out, {"undated_dreams", "", std::to_string(r.UndatedDreams)});
  Row(out, {"dreams_per_night", "", Number(r.DreamsPerNight)});
  Row(out, {"longest_run", "", std::to_string(r.LongestRun)});
  Row(out, {"longest_run_start", "", r.LongestRunStart ? IsoDateText(*r.LongestRunStart) : ""});
  Row(out, {"current_run", "", std::to_string(r.CurrentRun)});
  for (std::size_t d = 0; d < 7; ++d) Row(out, {"nights_by_weekday", kWeekdays[d], std::to_string(r.NightsByWeekday[d])});
  for (std::size_t d = 0; d < 7; ++d) Row(out, {"dreams_by_weekday", kWeekdays[d], std::to_string(r.DreamsByWeekday[d])});
  for (std::size_t m = 0; m < 12; ++m) Row(out, {"nights_by_month", kMonths[m], std::to_string(r.NightsByMonth[m])});
  for (std::size_t m = 0; m < 12; ++m) Row(out, {"dreams_by_month", kMonths[m], std::to_string(r.DreamsByMonth[m])});
  return out;
}

std::string ThemesCsv(const TThemes& themes) {
  std::string out = "word,dreams";
  for (const int start : themes.Starts) out += "," + IsoDateText(start);
  out += "\r\n";
  for (const TTheme& theme : themes.Items) {
    out += Field(Cp1251ToUtf8(theme.Word)) + "," + std::to_string(theme.Dreams);
    for (const int n : theme.Series) out += "," + std::to_string(n);
    out += "\r\n";
  }
  return out;
}

std::string ContrastCsv(const TContrast& contrast) {
  std::string out;
  Row(out, {"word", "in_group", "outside", "score"});
  for (const TContrastItem& item : contrast.Items)
    Row(out, {Cp1251ToUtf8(item.Word), std::to_string(item.InGroup), std::to_string(item.Outside), Number(item.Score)});
  return out;
}

std::string ReportJson(const TInsightsReport& report) {
  std::string s = "{\"from\":" + JsonDate(report.Range.From) + ",\"to\":" + JsonDate(report.Range.To) + ",\"labels\":[";
  for (int n = 0; n < kLabelCount; ++n) s += (n ? "," : "") + Json(LabelName(report.Labels, n));
  s += "],\n\"over_time\":{\"period\":" + Json(PeriodName(report.Series.Period)) + ",\"buckets\":[";
  for (std::size_t i = 0; i < report.Series.Buckets.size(); ++i) {
    const TBucket& b = report.Series.Buckets[i];
    const auto mean = b.MeanEnergy();
    s += (i ? ",\n" : "\n") + std::string("{\"start\":") + JsonDate(b.Start) + ",\"end\":" + JsonDate(b.Next - 1) +
         ",\"dreams\":" + std::to_string(b.Dreams) + ",\"nights\":" + std::to_string(b.Nights) +
         ",\"labels\":" + JsonArray(b.Labels) + ",\"mean_energy\":" + (mean ? Number(*mean) : "null") + "}";
  }
  const TRecall& r = report.Recall;
  s += "]},\n\"recall\":{\"nights\":" + std::to_string(r.Nights) + ",\"dreams\":" + std::to_string(r.Dreams) +
       ",\"undated_dreams\":" + std::to_string(r.UndatedDreams) + ",\"dreams_per_night\":" + Number(r.DreamsPerNight) +
       ",\"longest_run\":" + std::to_string(r.LongestRun) + ",\"longest_run_start\":" + JsonDate(r.LongestRunStart) +
       ",\"current_run\":" + std::to_string(r.CurrentRun) + ",\"nights_by_weekday\":" + JsonArray(r.NightsByWeekday) +
       ",\"dreams_by_weekday\":" + JsonArray(r.DreamsByWeekday) + ",\"nights_by_month\":" + JsonArray(r.NightsByMonth) +
       ",\"dreams_by_month\":" + JsonArray(r.DreamsByMonth) + "},\n";
  s += "\"themes\":{\"dreams\":" + std::to_string(report.Themes.Dreams) + ",\"period\":" + Json(PeriodName(report.Themes.Period)) +
       ",\"starts\":[";
  for (std::size_t i = 0; i < report.Themes.Starts.size(); ++i) s += (i ? "," : "") + JsonDate(report.Themes.Starts[i]);
  s += "],\"items\":[";
  for (std::size_t i = 0; i < report.Themes.Items.size(); ++i) {
    const TTheme& t = report.Themes.Items[i];
    s += (i ? ",\n" : "\n") + std::string("{\"word\":") + Json(Cp1251ToUtf8(t.Word)) + ",\"dreams\":" + std::to_string(t.Dreams) +
         ",\"series\":" + JsonArray(t.Series) + "}";
  }
  s += "]},\n\"rising\":" + ContrastJson(report.Rising) + ",\n\"label_words\":[";
  for (int n = 0; n < kLabelCount; ++n)
    s += (n ? ",\n" : "\n") + std::string("{\"label\":") + std::to_string(n + 1) + ",\"caption\":" + Json(LabelName(report.Labels, n)) +
         ",\"words\":" + ContrastJson(report.LabelWords[static_cast<std::size_t>(n)]) + "}";
  return s + "]}\n";
}
