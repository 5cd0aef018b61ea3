#include "vlm_Statistics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "vlm_Settings.h"
#include "vlm_Types.h"
#include "xml_node.h"

bool TreeShowsBelowDay(const TXMLNode& child) {
  return child.Name == tagExperience || child.Name == tagDirectory || child.Name == tagFile;
}

TJournalCounts CountJournal(const TXMLNode& journalRoot) {
  TJournalCounts counts;
  counts.DreamsPerDay.reserve(journalRoot.Children.size());
  for (const auto& day : journalRoot.Children) {
    int dreams = 0;
    for (const auto& child : day->Children) {
      if (!TreeShowsBelowDay(*child)) continue;
      ++dreams;
      const TXMLNode* properties = child->FindNode(tagProperties);
      if (!properties) continue;
      // One pass over the attributes without copying their values (a journal of decades has
      // tens of thousands of dreams); the first of a label's attributes counts, as GetAttribute's.
      std::array<bool, kLabelCount> seen{};
      for (const TXMLAttribute& attribute : properties->Attributes)
        for (std::size_t k = 0; k < kLabelCount; ++k)
          if (!seen[k] && attribute.Name == attrLabels[k]) {
            seen[k] = true;
            if (attribute.Value == litTrue) ++counts.LabelCounts[k];
            break;
          }
    }
    counts.DreamsPerDay.push_back(dreams);
    counts.Total += dreams;
    counts.MostPerDay = std::max(counts.MostPerDay, dreams);
  }
  return counts;
}

int HighestDefinedLabel(const std::array<bool, kLabelCount>& defined) {
  for (int k = kLabelCount; k >= 1; --k)
    if (defined[static_cast<std::size_t>(k - 1)]) return k;
  return 0;
}

TDayEnergies CountDayEnergies(const TXMLNode& day) {
  TDayEnergies result;
  double sum = 0.0;
  for (const auto& child : day.Children) {
    if (child->Name != tagExperience) continue;  // the day's comment, among others
    double energy = 0.0;
    if (const TXMLNode* element = child->FindNode(tagEnergy)) {
      const std::string text = element->GetAttribute(attrLevel);
      int level = 0;
      if (ParseDecimal(text, level))
        energy = static_cast<double>(kEnergyMiddle - level) / kEnergyMiddle;
      else
        result.BadLevels.push_back(text);  // a damaged level must not end the chart: neutral
    }
    sum += energy;
    result.Energies.push_back(energy);
  }
  if (!result.Energies.empty()) result.Average = sum / static_cast<double>(result.Energies.size());
  return result;
}

std::string FormatGeneral(double value, const std::string& decimal) {
  if (value == 0.0 || std::isnan(value)) return "0";  // and never "-0"
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15G", value);
  std::string text = buffer;
  std::string out;
  // "%G" writes "1.5E-07": the exponent loses its leading zeros and a "+" sign.
  const std::size_t e = text.find('E');
  std::string mantissa = e == std::string::npos ? text : text.substr(0, e);
  for (char c : mantissa) {
    if (c == '.')
      out += decimal;
    else
      out += c;
  }
  if (e != std::string::npos) {
    const int exponent = std::atoi(text.c_str() + e + 1);
    out += 'E';
    out += std::to_string(exponent);
  }
  return out;
}
