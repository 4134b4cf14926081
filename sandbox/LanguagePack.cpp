#include "sandbox/LanguagePack.h"

const LanguagePack& RussianLanguagePack() {
    static const LanguagePack pack = {
        {"&Visibility Level", "&Уровень видимости"},
        {"&OK", "&ОК"},
        {"Close", "Закрыть"},
        {"Always visible", "Всегда виден"},
        {"Visibility 1", "Видимость 1"},
        {"Visibility 2", "Видимость 2"},
        {"Visibility 3", "Видимость 3"},
        {"Visibility 4", "Видимость 4"},
        {"Visibility 5", "Видимость 5"},
        {"Never visible", "Никогда не виден"},
        {"Visibility levels", "Уровни видимости"},
        {"Status", "Статус"},
        {"&Global visibility level:", "&Общий уровень видимости:"},
        {"&Contacts (the keys 0 to 6 set the level of the chosen ones):",
         "&Контакты (клавиши 0–6 задают уровень выбранных):"},
        {"Contact", "Контакт"},
        {"Account", "Учётная запись"},
        {"Level", "Уровень"},
        {"Sees you", "Видит вас"},
        {"always", "всегда"},
        {"never", "никогда"},
        {"the ICQ server decides", "решает сервер ICQ"},
        {"&Level of the chosen contacts:", "&Уровень выбранных контактов:"},
    };
    return pack;
}

void LoadLanguagePack(SandboxHost& host, const LanguagePack& pack, UINT codePage) {
    for (const auto& [english, translation] : pack) host.AddTranslation(english, translation);
    host.SetLanguagePackCodePage(codePage);
}
