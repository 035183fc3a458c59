// The window's own texts, byte for byte, in UTF-8: those the logic sets and shows in its boxes,
// and the static ones every view builds its window from (caption, labels, pages, menu, the
// instructions). "СОМ" in messages is Cyrillic; the "c" of the caption and the first letter of
// "Cохранить настройки" are Latin.
#pragma once

#include <array>
#include <string_view>

namespace form::texts {

inline constexpr std::string_view kAppTitle = "ВЛК240ТИ";
inline constexpr std::string_view kCaption =
    "Программа опроса ВЛК240Т по RS485 c протоколом ModBus RTU";
inline constexpr std::string_view kReadButton = "ЧТЕНИЕ ПОКАЗАНИЙ ВЛК240Т";
inline constexpr std::string_view kPollingButton = "ИДЁТ ОПРОС...";
inline constexpr std::string_view kCyclic = "Циклический опрос (Т = 2 с)";
inline constexpr std::string_view kAddressLabel = "Сетевой адрес прибора ВЛК240Т";
inline constexpr std::string_view kAddressRange = "(от 1 до 247)";
inline constexpr std::string_view kCommandsTab = "КОМАНДЫ";
inline constexpr std::string_view kInstructionsTab = "ПАМЯТКА";
inline constexpr std::string_view kPortMenu = "СОМ Порт";
inline constexpr std::string_view kSaveSettings = "Cохранить настройки";
inline constexpr std::string_view kBadAddress = "Неправильное значение сетевого адреса";
inline constexpr std::string_view kSaved = "ТЕКУЩИЕ НАСТРОЙКИ СОХРАНЕНЫ";
inline constexpr std::string_view kWriteFailed = "Ошибка записи в файл";
inline constexpr std::string_view kReadFailed = "Ошибка чтения из файла\r Written by Vastrel";

struct InstructionLabel {
  std::string_view name;
  int left;
  int top;
  std::string_view text;
};

// The page "ПАМЯТКА", top to bottom, numbering and spelling as the operator has always seen them.
inline constexpr std::array<InstructionLabel, 12> kInstructions = {{
    {"Label3", 24, 0, "Перед запуском программы следует:"},
    {"Label4", 0, 24,
     "1. Подключить прибор к компьтеру через адаптер интерфейсов RS485/USB по схеме подключения "
     "в руководстве по эксплуатации"},
    {"Label5", -8, 40, "2.2. Подать прибору ВЛК240ТИ питание"},
    {"Label6", 0, 56,
     "3. В приборе ВЛК240ТИ включить протокол ModBus RTU по методике, изложенной в руководстве "
     "по эксплуатации"},
    {"Label7", 0, 72,
     "3. В приборе ВЛК240ТИ задать значение сетевого адреса по методике, изложенной в "
     "руководстве по эксплуатации"},
    {"Label8", 16, 96, "При первом запуске программы следует:"},
    {"Label9", 0, 120,
     "1. В программе выбрать СОМ порт, к которому подключен адаптер интерфейсов (его номер можно "
     "переназначить в диспетчере"},
    {"Label10", 8, 136, "устройств при необходимости). Сохранить настройки."},
    {"Label14", 0, 152, "2. Ввести в программу заданное значение сетевого адреса прибора ВЛК240ТИ"},
    {"Label11", 0, 168,
     "3. Для однократного считывания данных с прибора следует нажимать кнопку ЧТЕНИЕ ПОКАЗАНИЙ "
     "ВЛК240Т. Для циклического"},
    {"Label12", 8, 184,
     "считывания следует поставить галочку ЦИКЛИЧЕСКИЙ ОПРОС. Для останова - снять галочку"},
    {"Label13", 0, 200, "4. Результат считывания отображается в правом поле программы."},
}};

}  // namespace form::texts
