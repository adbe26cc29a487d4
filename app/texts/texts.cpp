#include "texts.h"

#include <array>

namespace texts {
namespace {

struct Row {
    const wchar_t* russian;
    const wchar_t* english;
};

// Rows 0 to 13; row 14, the manual, is joined from its lines below.
constexpr Row shortRows[] = {
    // 0
    {L"Выполняется установка виджета", L"Widget installation in progress"},
    // 1
    {L"Язык", L"Language"},
    // 2
    {L"IP Адрес ПК", L"IP Address PC"},
    // 3
    {L"* Если отображается более одного IP адреса - используйте тот который расположен в одной подсети с ТВ",
     L"* If more than one IP address is displayed, use the one located on the same subnet as the TV."},
    // 4
    {L"Обновить IP", L"Refresh IP"},
    // 5
    {L"Серия ТВ", L"Series TV"},
    // 6
    {L"Установить Виджет", L"Widget Install"},
    // 7
    {L"IP Адрес телевизора", L"IP Address TV"},
    // 8
    {L"Установка Виджета", L"Widget Installation"},
    // 9
    {L"Введите IP вашего ТВ, Выберите его серию, Нажмите \"Установить виджет\"",
     L"Enter the IP of your TV, Select its series, Click \"Install Widget\""},
    // 10
    {L"Процесс установки завершен. Проверьте наличие виджета в SmartHub Вашего ТВ.",
     L"Installation process is complete. Check presence of widget in SmartHub of Your TV."},
    // 11
    {L"При установке виджета произошли ошибки. Установка не выполнена.",
     L"There were errors while installing the widget. Installation failed."},
    // 12
    {L"IP Адрес ТВ не задан или имеет не верный формат.",
     L"IP Address TV is not set or has the wrong format."},
    // 13
    {L"Инструкция по установке", L"Installation manual"},
};

constexpr const wchar_t* russianManual[] = {
    L"1. Включить режим разработчика в ТВ:",
    L"  1.1. Для чего Войти в SmartHub и ввести с пульта 1 2 3 4 5.",
    L"  1.2. В открывшемся окне установить \"Developer Mode\"=\"ON\" ",
    L"  1.3. В поле ввода \"Host PC IP\" ввести IP адрес ПК (из области \"IP Адрес ПК\" этой программы)",
    L"  1.4. Выбрать и нажать экранную кнопку ОК.",
    L"  1.5. Выключить телевизор из розетки.Несколько раз нажать на пульте кнопку Включения.",
    L"  1.6. Включить в розетку. Включить кнопкой включения на пульте",
    L"  1.7. Подождать 1-2 минуты пока телевизор полностью загрузится",
    L"2. Получить IP адрес ТВ",
    L"  2.1. На ТВ войти Меню->Сеть->Состояние сети",
    L"  2.2. По окончанию пропроверки сети выбрать \"Настройки IP\"",
    L"  2.3. Адрес указанный в строке \"IP-адрес\" вписать в поле \"IP Адрес телевизора\" данной программы.",
    L"3. Приступить непосредственно к установке виджета",
    L"  3.1. Проверить правильность выбора IP адреса и Серии Вашего ТВ",
    L"  3.2. Кликнуть по кнопке \"Установить Виджет\" и дождаться окончания процесса установки",
    L"  3.3. В процессе установки на вопросы бредмауэра отвечать \"НЕ БЛОКИРОВАТЬ\"",
    L"  3.4. По окончании процесса установки проверить наличие виджета в разделе SmartHub \"Мои App\"",
    L"4. Если установка не увенчалась успехом: перезагрузите ПК и ТВ, отключите брендмауэр и антивирусы "
    L"блокирующие сетевое подключение, еще раз проверьте все параметры и попробуйте повторить установку.",
};

constexpr const wchar_t* englishManual[] = {
    L"1. Enable developer mode in TV:",
    L"  1.1. You need Run SmartHub and from the remote control enter 1 2 3 4 5.",
    L"  1.2. In the open window set \"Developer Mode\"=\"ON\" ",
    L"  1.3. In the input field \"Host PC IP\" enter the IP address this PC (from area \"IP Address PC\" "
    L"this application)",
    L"  1.4. Select and click screen-button OK.",
    L"  1.5. Turn off the TV from the outlet. Press the power button on the remote several times.",
    L"  1.6. Turn on the TV in the outlet. Turn on with the power button on the remote.",
    L"  1.7. Wait 1-2 minutes until the TV is fully loaded",
    L"2. Get the IP address of the TV",
    L"  2.1. On TV enter Menu-> Network-> Network Status",
    L"  2.2. At the end of the network test, select \"IP Setting\"",
    L"  2.3. The address specified in the line \"IP-address\" enter in the field \"IP Address TV\" this "
    L"application.",
    L"3. Proceed directly to install the widget",
    L"  3.1. Check the correctness of the choice of IP address and your TV series",
    L"  3.2. Click on the button \"Install widget\" and wait for the installation process to finish.",
    L"  3.3. During the installation process, answer the questions of the Bredmauer - \"NO-BLOCKING\"",
    L"  3.4. At the end of the installation process, check the widget presence in the SmartHub section \"My "
    L"App\"",
    L"4. If the installation was not successful: restart your PC and TV, disabled the firewall and the "
    L"antivirus blocking the network connection, check all the parameters again and try the installation "
    L"again.",
};

// The manual's lines are joined by a line feed alone: the label breaks lines
// there, and nothing else reads the text.
template <std::size_t N> std::wstring joinLines(const wchar_t* const (&lines)[N]) {
    std::wstring joined;
    for (const wchar_t* line : lines) {
        if (!joined.empty()) joined += L'\n';
        joined += line;
    }
    return joined;
}

using Table = std::array<std::wstring, rowCount * languageCount>;

Table build() {
    Table table;
    std::size_t i = 0;
    for (const Row& row : shortRows) {
        table[i++] = row.russian;
        table[i++] = row.english;
    }
    table[i++] = joinLines(russianManual);
    table[i++] = joinLines(englishManual);
    return table;
}

static_assert(std::size(shortRows) == rowCount - 1);

// Built during static initialisation, before the window exists.
const Table table = build();

} // namespace

const std::wstring& text(int row, int language) {
    return table[2 * row + language];
}

} // namespace texts
