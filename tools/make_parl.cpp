// Generates "parl", the parameter block that Kelvotin copies to the end of
// every oscillogram: the names and quantity types of the 16 signals of the
// model's sample record, sections built from the trip signals, and the
// quantity table. Usage: make_parl <output file>
#include <cstdio>
#include <exception>
#include <initializer_list>
#include <stdexcept>
#include <string>

#include "common/codepage.h"
#include "common/osc31.h"
#include "common/rtl_file.h"

namespace {

using namespace kv::osc31;

// Quantity type codes of the table below.
enum Quantity : std::uint8_t {
  kPower = 1,     // active power, MW
  kAngle = 2,     // degrees
  kVoltage = 3,   // kV
  kCurrent = 4,   // kA
  kReactive = 5,  // reactive power, Mvar
  kResist = 7,    // Xeck, ohm
  kCount = 8,     // slips or swings counted
  kSignal = 9,    // discrete signals: mode, pick-up, trip steps 5..10
};

struct ChannelDef {
  const char* name;
  Quantity type;
};

// In the order of the sample record: value k - 1 is channel k.
constexpr ChannelDef kChannels[16] = {
    {"Ток I", kCurrent},
    {"Напряжение U", kVoltage},
    {"Акт. мощность P", kPower},
    {"Реакт. мощн. Q", kReactive},
    {"Угол дельта", kAngle},
    {"Режим алгоритма", kSignal},
    {"Асинхр./пуск I", kSignal},
    {"Число циклов", kCount},
    {"Угл.1/ГЕН_КЗ", kSignal},
    {"Угловой 2", kSignal},
    {"Сопротивл. Xэк", kResist},
    {"U в точке Xэк", kVoltage},
    {"Цикл.1/по току", kSignal},
    {"Цикловой 2", kSignal},
    {"АПНУ 1", kSignal},
    {"АПНУ 2", kSignal},
};

struct SectionDef {
  const char* name;
  Quantity type;
  std::initializer_list<int> channels;  // 1-based
};

// Sums of trip steps: the heights 5..10 differ, so a sum still tells which
// trips are present.
const SectionDef kSections[] = {
    {"Угловые", kSignal, {9, 10}},
    {"Цикловые", kSignal, {13, 14}},
    {"АПНУ", kSignal, {15, 16}},
    {"Все отключения", kSignal, {9, 10, 13, 14, 15, 16}},
};

struct QuantityDef {
  Quantity code;
  const char* name;
  const char* unit;
};

const QuantityDef kQuantities[] = {
    {kPower, "P", "МВт"},      {kAngle, "Угол", "град"}, {kVoltage, "U", "кВ"},     {kCurrent, "I", "кА"},
    {kReactive, "Q", "Мвар"}, {kResist, "X", "Ом"},     {kCount, "N", "шт"}, {kSignal, "Сигнал", "о.е."},
};

// A name longer than its field would be cut silently; refuse it instead.
void CheckLength(const char* utf8, std::size_t maxChars) {
  if (kv::Utf8ToCp866(utf8).size() > maxChars) throw std::runtime_error(std::string("name too long: ") + utf8);
}

TOscParameterBlock MakeBlock() {
  TOscParameterBlock p;
  for (std::size_t j = 0; j < 16; ++j) {
    TOscChannel& c = p.channels[j];
    CheckLength(kChannels[j].name, kNameShownChars);
    SetOemText(c.name, kChannels[j].name, kNameShownChars);
    c.typeCode = kChannels[j].type;
    c.stored = 1;
  }
  std::size_t s = 0;
  for (const SectionDef& def : kSections) {
    TOscSection& sec = p.sections[s++];
    CheckLength(def.name, kSectionNameSize - 1);
    SetOemText(sec.name, def.name, kSectionNameSize - 1);
    sec.typeCode = def.type;
    for (int j : def.channels) sec.include[j - 1] = 1;
  }
  std::size_t q = 0;
  for (const QuantityDef& def : kQuantities) {
    TOscQuantity& rec = p.quantities[q++];
    CheckLength(def.name, kQuantityNameSize);
    CheckLength(def.unit, kQuantityUnitShown);
    rec.code = def.code;
    SetOemText(rec.name, def.name, kQuantityNameSize);
    SetOemText(rec.unit, def.unit, kQuantityUnitShown);
  }
  return p;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output file>\n", argv[0]);
    return 2;
  }
  try {
    kv::WriteFileAtomically(argv[1], EncodeParameterBlock(MakeBlock()));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_parl: %s\n", e.what());
    return 1;
  }
  return 0;
}
