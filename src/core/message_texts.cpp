// The texts stay exactly as users have always seen them, slips such as "Messagge sent" included.
#include "core/message_texts.h"

namespace bsms {

int LanguageIndex(std::string_view word) {
    for (int i = 0; i < kLanguageCount; ++i) {
        if (kLanguageWords[i] == word) return i;
    }
    return -1;
}

constexpr std::array<MessageTextRow, static_cast<int>(MsgId::Count)> kMessageTexts = {{
    {MsgId::Ask_Delete_Message,
     "Msg_Ask_Delete_Message",
     {"Sei sicuro di voler cancellare il messaggio:", "Are you sure to delete the message:",
      "Are you sure to delete the message:", "Are you sure to delete the message:",
      "Czy na pewno chcesz skasowac ta wiadomosc?:"}},
    {MsgId::Caption_Sender_Column,
     "Caption_Sender_Column",
     {"Mittente", "Sender", "Sender", "Sender", "Nadawca"}},
    {MsgId::Caption_Date_Column,
     "Caption_Date_Column",
     {"Data e ora", "Date and Time", "Date and Time", "Date and Time", "Data I czas"}},
    {MsgId::Caption_Centre_Column,
     "Caption_Centre_Column",
     {"C.Servizi usato", "Service C. used", "Service C. used", "Service C. used", "Uzyty SMSC"}},
    {MsgId::Command_Refused,
     "Msg_Command_Refused",
     {"Comando non accettato dal telefonino", "Command didn't accept by mobile",
      "Telefón neprijal príkaz", "A parancsot a telefon nem fogadta el",
      "Komenda nie akceptowana przez telefon"}},
    {MsgId::Message_Sent,
     "Msg_Message_Sent",
     {"Messaggio inviato", "Messagge sent", "Správa odoslaná", "Üzenet elküldve",
      "Wiadomosc wyslana"}},
    {MsgId::Ask_Save_Settings,
     "Msg_Ask_Save_Settings",
     {"Vuoi salvare le impostazioni ?", "Do you want save settings ?", "Chete uložit nastavenia?",
      "Beállítások mentése?", "Czy chcesz zapisac ustawienia?"}},
    {MsgId::Port_Open_Failed,
     "Msg_Port_Open_Failed",
     {"Impossibile aprire la porta di comunicazione!", "Unable to open the communication port",
      "Nedá sa otvorit komunikacný port", "Nem lehet megnyitni a kommunikációs portot",
      "Nie mozna otworzyc portu komunikacyjnego"}},
    {MsgId::Ask_Reset_Sent,
     "Msg_Ask_Reset_Sent",
     {"Sei sicuro di voler azzerare gli SMS inviati?", "Are you sure to annul sents sms ?",
      "Urcite chcete vymazat odoslané SMS?", "Biztos benne, hogy annulálja a küldött SMS-eket ?",
      "Jestes pewien anulowania sents sms?"}},
    {MsgId::Ask_Delete_Log,
     "Msg_Ask_Delete_Log",
     {"Sei sicuro di voler cancellare il log degli SMS inviati?",
      "Are you sure to delete SMS Sent log file ?",
      "Urcite chcete vymazat záznamy o odoslaných SMS?",
      "Biztos, hogy törli a küldött SMS log fájlt ?",
      "Jestes pewien skasowania pliku wyslane SMSy?"}},
    {MsgId::Service_Centre_Missing,
     "Msg_Service_Centre_Missing",
     {"Inserire o rilevare il centro servizi !!!", "Insert service centre !!!",
      "Zadajte servisné centrum!!!", "Adja be a service center telefonszámát !!!",
      "Wpisz service centre !!!"}},
    {MsgId::Title_Error, "Title_Error", {"Errore.", "Error.", "Chyba.", "Hiba.", "Blad."}},
    {MsgId::Title_Information,
     "Title_Information",
     {"Informazione.", "Information.", "Informácie.", "Információ.", "Informacja."}},
    {MsgId::Title_Automatic_Save,
     "Title_Automatic_Save",
     {"Salvataggio automatico.", "Automatic save.", "Automatické uloženie.", "Automata mentés.",
      "Automatyczny zapis."}},
    {MsgId::Title_Port_Error,
     "Title_Port_Error",
     {"Errore.", "Error.", "Chyba.", "Hiba.", "Blad."}},
    {MsgId::Title_Confirm_Reset,
     "Title_Confirm_Reset",
     {"Conferma azzeramento.", "Confirm annul.", "Vymazanie potvrdené.", "Annulálás megerosítése.",
      "Potwierdz anulowanie."}},
    {MsgId::Title_Confirm_Delete_Log,
     "Title_Confirm_Delete_Log",
     {"Conferma cancellazione log.", "Confirm deleting SMS Sent log file.",
      "Vymazanie záznamov o odoslaných SMS potvrdené.",
      "Küldött SMS log fájl törlésének megerosítése.", "Potwierdz skasowanie SMS Sent log."}},
    {MsgId::Title_Send_Impossible,
     "Title_Send_Impossible",
     {"Impossibile inviare il messaggio.", "Impossible to sent message.", "Nedá sa odoslat správa.",
      "Üzenet küldése nem lehetséges.", "Wiadomosc nie moze zostac wyslana."}},
    // Added texts keep to the letters of the Western code page, like the older ones.
    {MsgId::Bad_Recipient,
     "Msg_Bad_Recipient",
     {"Il numero del destinatario può contenere solo cifre, * e # dopo un + facoltativo. "
      "Non ammesso:",
      "The recipient number may hold only digits, * and # after an optional +. Not allowed:",
      "Císlo príjemcu môže obsahovat len císlice, * a # za volitelným +. Nepovolené:",
      "A címzett száma csak számjegyeket, * és # jelet tartalmazhat, az elején esetleg + jellel. "
      "Nem megengedett:",
      "Numer odbiorcy moze zawierac tylko cyfry, * i # po opcjonalnym +. Niedozwolone:"}},
    {MsgId::Bad_Service_Centre,
     "Msg_Bad_Service_Centre",
     {"Il numero del centro servizi può contenere solo cifre. Non ammesso:",
      "The service centre number may hold only digits. Not allowed:",
      "Císlo servisného centra môže obsahovat len císlice. Nepovolené:",
      "A service center száma csak számjegyeket tartalmazhat. Nem megengedett:",
      "Numer centrum SMS moze zawierac tylko cyfry. Niedozwolone:"}},
    {MsgId::Port_No_Permission,
     "Msg_Port_No_Permission",
     {"Nessun permesso per aprire %1: aggiungere il proprio utente al gruppo %2 e accedere di "
      "nuovo.",
      "No permission to open %1: add your user to the group %2 and log in again.",
      "Nemáte oprávnenie otvorit %1: pridajte svojho používatela do skupiny %2 a znova sa "
      "prihláste.",
      "Nincs jogosultság a(z) %1 megnyitásához: adja hozzá a felhasználóját a(z) %2 "
      "csoporthoz, majd jelentkezzen be újra.",
      "Brak uprawnien do otwarcia %1: dodaj swojego uzytkownika do grupy %2 i zaloguj sie "
      "ponownie."}},
    {MsgId::Save_Failed,
     "Msg_Save_Failed",
     {"Impossibile scrivere il file:", "Unable to write the file:", "Nedá sa zapísat súbor:",
      "Nem lehet írni a fájlt:", "Nie mozna zapisac pliku:"}},
    {MsgId::Folder_Not_Writable,
     "Msg_Folder_Not_Writable",
     {"Non è possibile scrivere nella cartella del programma %1: impostazioni, contatore, log e "
      "rubrica non verranno salvati. Copiare il programma in una cartella propria.",
      "The program's folder %1 cannot be written: the settings, the sent counter, the log and the "
      "phonebook will not be saved. Copy the program into a folder of your own.",
      "Do priecinka programu %1 sa nedá zapisovat: nastavenia, pocítadlo, záznamy a telefónny "
      "zoznam sa neuložia. Skopírujte program do vlastného priecinka.",
      "A program mappája (%1) nem írható: a beállítások, a számláló, a napló és a telefonkönyv "
      "nem menthetok. Másolja a programot egy saját mappába.",
      "Nie mozna zapisywac w folderze programu %1: ustawienia, licznik, log i ksiazka "
      "telefoniczna nie zostana zapisane. Skopiuj program do wlasnego folderu."}},
    {MsgId::Number_Too_Long,
     "Msg_Number_Too_Long",
     {"Un numero di telefono può avere al massimo 20 cifre. Troppo lungo:",
      "A telephone number may hold at most 20 digits. Too long:",
      "Telefónne císlo môže mat najviac 20 císlic. Príliš dlhé:",
      "Egy telefonszám legfeljebb 20 számjegybol állhat. Túl hosszú:",
      "Numer telefonu moze miec najwyzej 20 cyfr. Za dlugi:"}},
    {MsgId::No_Answer,
     "Msg_No_Answer",
     {"Il telefonino non risponde: controllare il cavo, la porta e la sua velocità.",
      "The mobile does not answer: check the cable, the port and its speed.",
      "Telefón neodpovedá: skontrolujte kábel, port a jeho rýchlost.",
      "A telefon nem válaszol: ellenorizze a kábelt, a portot és a sebességét.",
      "Telefon nie odpowiada: sprawdz kabel, port i jego predkosc."}},
    {MsgId::Unreadable_Locations,
     "Msg_Unreadable_Locations",
     {"Posizioni della memoria che il telefonino non ha potuto leggere: %1.",
      "Memory locations the mobile could not read: %1.",
      "Pozície pamäte, ktoré telefón nemohol precítat: %1.",
      "A telefon által nem olvasható memóriahelyek: %1.",
      "Pozycje pamieci, których telefon nie mógl odczytac: %1."}},
    {MsgId::Files_Elsewhere,
     "Msg_Files_Elsewhere",
     {"Non è possibile scrivere nella cartella del programma %1: impostazioni, contatore, log e "
      "rubrica sono conservati in %2.",
      "The program's folder %1 cannot be written: the settings, the sent counter, the log and the "
      "phonebook are kept in %2.",
      "Do priecinka programu %1 sa nedá zapisovat: nastavenia, pocítadlo, záznamy a telefónny "
      "zoznam sa ukladajú do %2.",
      "A program mappája (%1) nem írható: a beállítások, a számláló, a napló és a telefonkönyv "
      "helye: %2.",
      "Nie mozna zapisywac w folderze programu %1: ustawienia, licznik, log i ksiazka "
      "telefoniczna sa zapisywane w %2."}},
    {MsgId::Encoding_Per_Sms,
     "Msg_Encoding_Per_Sms",
     {"%1: %2 per SMS", "%1: %2 per SMS", "%1: %2 na SMS", "%1: %2 / SMS", "%1: %2 na SMS"}},
    {MsgId::Part_Missing,
     "Msg_Part_Missing",
     {"[parte mancante]", "[part missing]", "[chýba cast]", "[hiányzó rész]", "[brak czesci]"}},
    {MsgId::Report_Delivered,
     "Msg_Report_Delivered",
     {"Consegnato", "Delivered", "Dorucené", "Kézbesítve", "Dostarczono"}},
    {MsgId::Report_Pending,
     "Msg_Report_Pending",
     {"In attesa", "Pending", "Caká sa", "Függoben", "Oczekuje"}},
    {MsgId::Report_Failed,
     "Msg_Report_Failed",
     {"Non consegnato", "Failed", "Nedorucené", "Sikertelen", "Niedostarczono"}},
    {MsgId::Report_Unmatched,
     "Msg_Report_Unmatched",
     {"Rapporto di consegna di un messaggio non inviato da qui",
      "Delivery report on a message not sent from here",
      "Správa o dorucení správy, ktorá nebola odoslaná odtialto",
      "Kézbesítési jelentés egy nem innen küldött üzenetrol",
      "Raport dostarczenia wiadomosci nie wyslanej stad"}},
    {MsgId::New_Message_At,
     "Msg_New_Message_At",
     {"Nuovo messaggio in posizione %1", "New message at location %1", "Nová správa na pozícii %1",
      "Új üzenet a(z) %1. helyen", "Nowa wiadomosc w pozycji %1"}},
    {MsgId::Report_Arrived,
     "Msg_Report_Arrived",
     {"Rapporto di consegna: %1", "Delivery report: %1", "Správa o dorucení: %1",
      "Kézbesítési jelentés: %1", "Raport dostarczenia: %1"}},
    {MsgId::Parts_Taken,
     "Msg_Parts_Taken",
     {"Il telefonino ha preso %1 delle %2 parti del messaggio; le altre non sono state inviate.",
      "The mobile took %1 of the %2 parts of the message; the others were not sent.",
      "Telefón prijal %1 z %2 castí správy; ostatné neboli odoslané.",
      "A telefon az üzenet %2 részébol %1 részt fogadott el; a többit nem küldte el.",
      "Telefon przyjal %1 z %2 czesci wiadomosci; pozostale nie zostaly wyslane."}},
    {MsgId::Memory_Full,
     "Msg_Memory_Full",
     {"La memoria dei messaggi del telefonino è piena: cancellare qualche messaggio per "
      "riceverne di nuovi.",
      "The mobile's message memory is full: delete some messages to receive new ones.",
      "Pamät správ telefónu je plná: vymažte niektoré správy, aby ste mohli prijímat nové.",
      "A telefon üzenetmemóriája megtelt: töröljön néhány üzenetet, hogy újakat fogadhasson.",
      "Pamiec wiadomosci telefonu jest pelna: usun kilka wiadomosci, aby odbierac nowe."}},
    {MsgId::Reply_Cut,
     "Msg_Reply_Cut",
     {"Il messaggio è più lungo di quanto si possa inviare: nel testo sono stati messi solo i "
      "primi %1 caratteri.",
      "The message is longer than can be sent: only its first %1 characters were put in the "
      "text.",
      "Správa je dlhšia, než sa dá odoslat: do textu sa vložilo len jej prvých %1 znakov.",
      "Az üzenet hosszabb, mint ami elküldheto: csak az elso %1 karaktere került a szövegbe.",
      "Wiadomosc jest dluzsza, niz mozna wyslac: do tekstu trafilo tylko jej pierwsze %1 "
      "znaków."}},
    {MsgId::Port_Busy,
     "Msg_Port_Busy",
     {"%1 è in uso da un altro programma: chiuderlo e aprire di nuovo la porta.",
      "%1 is in use by another program: close it, then open the port again.",
      "%1 používa iný program: zatvorte ho a znova otvorte port.",
      "A(z) %1 eszközt egy másik program használja: zárja be, majd nyissa meg újra a portot.",
      "%1 jest uzywane przez inny program: zamknij go i otwórz port ponownie."}},
    {MsgId::Port_Busy_By,
     "Msg_Port_Busy_By",
     {"%1 è in uso da %2.", "%1 is in use by %2.", "%1 používa %2.",
      "A(z) %1 eszközt használja: %2.", "%1 jest uzywane przez %2."}},
    {MsgId::Port_Close_Holder,
     "Msg_Port_Close_Holder",
     {"Chiudere quel programma e aprire di nuovo la porta.",
      "Close that program, then open the port again.", "Zatvorte ten program a znova otvorte port.",
      "Zárja be azt a programot, majd nyissa meg újra a portot.",
      "Zamknij ten program i otwórz port ponownie."}},
    {MsgId::Port_Busy_ModemManager,
     "Msg_Port_Busy_ModemManager",
     {"ModemManager prende per sé ogni nuovo modem: escluderlo da questo dispositivo con una "
      "regola udev che imposta ENV{ID_MM_DEVICE_IGNORE}=\"1\" (vedere Ports nel README), oppure "
      "fermarlo: sudo systemctl stop ModemManager",
      "ModemManager takes every new modem for itself: keep it off this device with a udev rule "
      "that sets ENV{ID_MM_DEVICE_IGNORE}=\"1\" (see Ports in the README), or stop it: sudo "
      "systemctl stop ModemManager",
      "ModemManager si berie každý nový modem: vylúcte ho z tohto zariadenia pravidlom udev, "
      "ktoré nastaví ENV{ID_MM_DEVICE_IGNORE}=\"1\" (pozri Ports v README), alebo ho zastavte: "
      "sudo systemctl stop ModemManager",
      "A ModemManager minden új modemet lefoglal: tartsa távol ettol az eszköztol egy udev "
      "szabállyal, amely beállítja: ENV{ID_MM_DEVICE_IGNORE}=\"1\" (lásd Ports a README-ben), "
      "vagy állítsa le: sudo systemctl stop ModemManager",
      "ModemManager zajmuje kazdy nowy modem: wylacz go dla tego urzadzenia regula udev "
      "ustawiajaca ENV{ID_MM_DEVICE_IGNORE}=\"1\" (zobacz Ports w README) albo zatrzymaj go: "
      "sudo systemctl stop ModemManager"}},
    {MsgId::Port_Join_Group,
     "Msg_Port_Join_Group",
     {"In un terminale: sudo adduser $USER %1", "In a terminal: sudo adduser $USER %1",
      "V termináli: sudo adduser $USER %1", "Egy terminálban: sudo adduser $USER %1",
      "W terminalu: sudo adduser $USER %1"}},
    {MsgId::Port_Admin_Only,
     "Msg_Port_Admin_Only",
     {"Solo l'amministratore di sistema può aprire %1: scegliere un'altra porta, oppure far "
      "puntare un collegamento comN nella cartella del programma al dispositivo del telefono.",
      "Only the system administrator may open %1: choose another port, or point a link comN in "
      "the program's folder at the phone's device.",
      "%1 môže otvorit len správca systému: zvolte iný port alebo nasmerujte odkaz comN v "
      "priecinku programu na zariadenie telefónu.",
      "A(z) %1 eszközt csak a rendszergazda nyithatja meg: válasszon másik portot, vagy "
      "irányítson egy comN hivatkozást a program mappájában a telefon eszközére.",
      "Tylko administrator systemu moze otworzyc %1: wybierz inny port albo skieruj dowiazanie "
      "comN w folderze programu na urzadzenie telefonu."}},
    {MsgId::Port_Link_Nowhere,
     "Msg_Port_Link_Nowhere",
     {"%1 punta a %2, che non esiste: collegare il telefono, oppure far puntare il collegamento "
      "al suo dispositivo.",
      "%1 points to %2, which does not exist: connect the phone, or point the link at its "
      "device.",
      "%1 ukazuje na %2, ktoré neexistuje: pripojte telefón alebo nasmerujte odkaz na jeho "
      "zariadenie.",
      "A(z) %1 erre mutat: %2, ami nem létezik: csatlakoztassa a telefont, vagy irányítsa a "
      "hivatkozást az eszközére.",
      "%1 wskazuje na %2, które nie istnieje: podlacz telefon albo skieruj dowiazanie na jego "
      "urzadzenie."}},
    {MsgId::Port_No_Device,
     "Msg_Port_No_Device",
     {"Nessun dispositivo per questa porta. Cercati: %1",
      "There is no device for this port. Looked for: %1",
      "Pre tento port nie je žiadne zariadenie. Hladané: %1",
      "Ehhez a porthoz nincs eszköz. Keresett helyek: %1",
      "Brak urzadzenia dla tego portu. Szukano: %1"}},
}};

namespace {
constexpr bool MessagesInIdOrder() {
    for (int i = 0; i < static_cast<int>(MsgId::Count); ++i) {
        if (kMessageTexts[i].id != static_cast<MsgId>(i)) return false;
    }
    return true;
}
}  // namespace
static_assert(MessagesInIdOrder(), "kMessageTexts must be indexable by MsgId");

constexpr std::array<SendConfirmTexts, kLanguageCount> kSendConfirmTexts = {{
    {"Sei sicuro di volere inviare il messaggio:", "Al numero: ", "- SMS di tipo Flash",
     "- Ricevuta di ritorno"},
    {"Are you sure to send this SMS:", "To: ", "- Flash SMS", "- Status report"},
    {"Naozaj chcete odoslat túto SMS:", "Pre: ", "- Flash SMS", "- Výpis o dorucení"},
    {"Biztos, hogy el akarja küldeni ezt az SMS-t?:", "Fogadó: ", "- Flash SMS", "- Status report"},
    {"Czy na pewno chcesz wyslac ten SMS:", "Do: ", "- Flash SMS", "- Stan raportu"},
}};

}  // namespace bsms
