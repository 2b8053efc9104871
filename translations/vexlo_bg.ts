<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="bg_BG">
<context>
    <name>TAboutForm</name>
    <message>
        <source>About Vexlo Vocabulary</source>
        <translation>Относно Vexlo Vocabulary</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Vexlo Vocabulary Version 1.4.3</source>
        <translation>Vexlo Vocabulary, версия 1.4.3</translation>
    </message>
    <message>
        <source>Copyright (C) Vexlo Software</source>
        <translation>Авторски права © Vexlo Software</translation>
    </message>
    <message>
        <source>www.vexlo.example</source>
        <translation>www.vexlo.example</translation>
    </message>
    <message>
        <source>Vexlo Vocabulary Version %1</source>
        <translation>Vexlo Vocabulary, версия %1</translation>
    </message>
</context>
<context>
    <name>TAccessFile</name>
    <message>
        <source>The Access file %1 has no table %2 that can be read.</source>
        <translation>Във файла на Access %1 няма таблица %2, която да може да се прочете.</translation>
    </message>
    <message>
        <source>The file %1 does not exist.</source>
        <translation>Файлът %1 не съществува.</translation>
    </message>
    <message>
        <source>The file %1 cannot be read.</source>
        <translation>Файлът %1 не може да се прочете.</translation>
    </message>
    <message>
        <source>The file %1 is not an Access database that can be read.</source>
        <translation>Файлът %1 не е база от данни на Access, която може да се прочете.</translation>
    </message>
    <message>
        <source>The list of tables in the Access file %1 cannot be read.</source>
        <translation>Списъкът с таблици във файла на Access %1 не може да се прочете.</translation>
    </message>
</context>
<context>
    <name>TAdminForm</name>
    <message>
        <source>Dictionary</source>
        <translation>Речник</translation>
    </message>
    <message>
        <source>Show random data</source>
        <translation>Показва случайна дума</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Файл</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>&amp;Инструменти</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Помощ</translation>
    </message>
    <message>
        <source>New</source>
        <translation>Нова</translation>
    </message>
    <message>
        <source>Create new record</source>
        <translation>Добавя нова дума</translation>
    </message>
    <message>
        <source>Ctrl+N</source>
        <translation>Ctrl+N</translation>
    </message>
    <message>
        <source>Redact</source>
        <translation>Промяна</translation>
    </message>
    <message>
        <source>Edit record</source>
        <translation>Променя текущата дума</translation>
    </message>
    <message>
        <source>Ctrl+R</source>
        <translation>Ctrl+R</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Изтриване</translation>
    </message>
    <message>
        <source>Delete current record</source>
        <translation>Изтрива текущата дума</translation>
    </message>
    <message>
        <source>Ctrl+D</source>
        <translation>Ctrl+D</translation>
    </message>
    <message>
        <source>Delete all</source>
        <translation>Изтриване на всички</translation>
    </message>
    <message>
        <source>Delete all records from database</source>
        <translation>Изтрива всички думи от речника</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Статистика</translation>
    </message>
    <message>
        <source>Information about entered words</source>
        <translation>Колко думи има на всяко ниво</translation>
    </message>
    <message>
        <source>HTML Preview</source>
        <translation>Целият речник като страница</translation>
    </message>
    <message>
        <source>Generate HTML preview - for big databases slow procedure</source>
        <translation>Показва целия речник на една страница (за голям речник отнема време)</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Грешка</translation>
    </message>
    <message numerus="yes">
        <source>Vexlo Vocabulary - %n records</source>
        <translation>
            <numerusform>Vexlo Vocabulary - %n дума</numerusform>
            <numerusform>Vexlo Vocabulary - %n думи</numerusform>
        </translation>
    </message>
    <message>
        <source> Pos:%1</source>
        <translation> (поз. %1)</translation>
    </message>
    <message>
        <source>Delete the word %1 ?</source>
        <translation>Да се изтрие ли думата %1?</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Потвърждение</translation>
    </message>
    <message>
        <source>Please wait for a moment</source>
        <translation>Моля, изчакайте малко</translation>
    </message>
    <message>
        <source>Attention</source>
        <translation>Внимание</translation>
    </message>
    <message>
        <source>Delete all words from DataBase ?</source>
        <translation>Да се изтрият ли всички думи от речника?</translation>
    </message>
    <message>
        <source>R&amp;andom</source>
        <translation>Нас&amp;луки</translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation>&amp;Нова</translation>
    </message>
    <message>
        <source>&amp;New</source>
        <comment>the button below the list</comment>
        <translation>&amp;Нова</translation>
    </message>
    <message>
        <source>&amp;Redact</source>
        <translation>&amp;Смени</translation>
    </message>
    <message>
        <source>&amp;Redact</source>
        <comment>the button below the list</comment>
        <translation>&amp;Смени</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>Из&amp;трий</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <comment>the button below the list</comment>
        <translation>Из&amp;трий</translation>
    </message>
    <message>
        <source>Delete A&amp;ll</source>
        <translation>Изтриване на вси&amp;чки</translation>
    </message>
    <message>
        <source>&amp;Hide</source>
        <translation>Скр&amp;иване</translation>
    </message>
    <message>
        <source>Exi&amp;t</source>
        <translation>Из&amp;ход</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>&amp;Отваряне</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>От&amp;носно</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>&amp;Настройки</translation>
    </message>
    <message>
        <source>&amp;Information</source>
        <translation>&amp;Статистика</translation>
    </message>
    <message>
        <source>&amp;HTML Preview</source>
        <translation>&amp;Целият речник като страница</translation>
    </message>
</context>
<context>
    <name>TAppRegInfo</name>
    <message>
        <source>Failed to set data for &apos;%1&apos;</source>
        <translation>Стойността „%1“ не може да се запише</translation>
    </message>
</context>
<context>
    <name>TAudioOutput</name>
    <message>
        <source>No sound device was found, so words cannot be spoken.</source>
        <translation>Не е намерено звуково устройство, затова думите не могат да се изговарят.</translation>
    </message>
    <message>
        <source>No sound device could be opened, so words cannot be spoken</source>
        <translation>Звуковото устройство не може да се отвори, затова думите не могат да се изговарят</translation>
    </message>
</context>
<context>
    <name>TDataFileTool</name>
    <message>
        <source>Cannot make the data file: %1.</source>
        <translation>Файлът с данни не може да се създаде: %1.</translation>
    </message>
    <message>
        <source>The file %1 was not made: %2 is left over from an earlier data file of that name (a program may still have it open) and would be taken for part of the new one. Close that program, or remove the leftover file, and try again.</source>
        <translation>Файлът %1 не е създаден: %2 е останал от по-ранен файл с данни със същото име (някоя програма може още да го държи отворен) и би се приел за част от новия. Затворете тази програма или изтрийте останалия файл и опитайте отново.</translation>
    </message>
    <message>
        <source>No file name was given.</source>
        <translation>Не е зададено име на файл.</translation>
    </message>
    <message>
        <source>The file %1 already exists; it is left as it is.</source>
        <translation>Файлът %1 вече съществува; оставен е както е.</translation>
    </message>
    <message>
        <source>The folder %1 does not exist.</source>
        <translation>Папката %1 не съществува.</translation>
    </message>
    <message>
        <source>Cannot create the file %1: %2.</source>
        <translation>Файлът %1 не може да се създаде: %2.</translation>
    </message>
    <message>
        <source>Cannot make the data file %1: the disk is full or cannot be written.</source>
        <translation>Файлът с данни %1 не може да се създаде: дискът е пълен или в него не може да се записва.</translation>
    </message>
    <message>
        <source>Sample vocabulary, line %1: %2</source>
        <translation>Примерен речник, ред %1: %2</translation>
    </message>
    <message>
        <source>expected word | transcription | level | one to three lines.</source>
        <translation>очаква се дума | транскрипция | ниво | един до три реда.</translation>
    </message>
    <message>
        <source>the level must be a number from 0 to 9.</source>
        <translation>нивото трябва да е число от 0 до 9.</translation>
    </message>
    <message>
        <source>a text is empty or too long.</source>
        <translation>някой текст е празен или твърде дълъг.</translation>
    </message>
</context>
<context>
    <name>TDelimitedText</name>
    <message>
        <source>The file is marked as UTF-16 text but ends in the middle of a character.</source>
        <translation>Файлът е означен като текст в UTF-16, но свършва по средата на знак.</translation>
    </message>
    <message>
        <source>The file is marked as UTF-16 text but line %1 is not well-formed UTF-16 (half of a character pair stands alone).</source>
        <translation>Файлът е означен като текст в UTF-16, но ред %1 не е правилен UTF-16 (половин двойка знаци стои сама).</translation>
    </message>
    <message>
        <source>The file is marked as UTF-8 text but line %1 is not UTF-8.</source>
        <translation>Файлът е означен като текст в UTF-8, но ред %1 не е в UTF-8.</translation>
    </message>
    <message>
        <source>The file is UTF-32 text, not UTF-8 or UTF-16: save it as UTF-8 and import it again.</source>
        <translation>Файлът е текст в UTF-32, а не в UTF-8 или UTF-16: запишете го в UTF-8 и го внесете отново.</translation>
    </message>
    <message>
        <source>Line %1 of the file holds a NUL byte: this is not a text file, or it is UTF-16 text without a byte-order mark. Save it as UTF-8.</source>
        <translation>Ред %1 на файла съдържа байт NUL: това не е текстов файл или е текст в UTF-16 без знак за реда на байтовете. Запишете го в UTF-8.</translation>
    </message>
    <message>
        <source>Line %1 of the file is not UTF-8 text. Save the file as UTF-8 (or UTF-16 with a byte-order mark) and import it again.</source>
        <translation>Ред %1 на файла не е текст в UTF-8. Запишете файла в UTF-8 (или в UTF-16 със знак за реда на байтовете) и го внесете отново.</translation>
    </message>
    <message>
        <source>The quotes opened on line %1 are never closed: the file is not well-formed.</source>
        <translation>Кавичките, отворени на ред %1, никъде не се затварят: файлът не е правилен.</translation>
    </message>
    <message>
        <source>text follows a closing quote</source>
        <translation>след затварящите кавички има текст</translation>
    </message>
    <message>
        <source>The header row names no column for the English word (English or Word).</source>
        <translation>Заглавният ред не посочва колона за английската дума (English или Word).</translation>
    </message>
    <message>
        <source>A column holds English, Transcription, Bulgarian or Level, or - for one to leave out; &quot;%1&quot; is none of them.</source>
        <translation>Колоната съдържа English, Transcription, Bulgarian или Level, или - за колона, която се пропуска; „%1“ не е нито едно от тях.</translation>
    </message>
    <message>
        <source>One of the columns must be English.</source>
        <translation>Една от колоните трябва да е English.</translation>
    </message>
    <message>
        <source>The file has three columns and no header row, and the third is not a level: say what the columns hold (English, Transcription, Bulgarian, Level, or - to leave one out).</source>
        <translation>Файлът има три колони без заглавен ред, а третата не е ниво: посочете какво съдържат колоните (English, Transcription, Bulgarian, Level или - за колона, която се пропуска).</translation>
    </message>
</context>
<context>
    <name>TDictdFile</name>
    <message>
        <source>The reference index %1 cannot be read: %2.</source>
        <translation>Индексът на справочника %1 не може да се прочете: %2.</translation>
    </message>
    <message>
        <source>The reference index %1 is too large to be a dictd index.</source>
        <translation>Индексът на справочника %1 е твърде голям, за да е индекс на dictd.</translation>
    </message>
    <message>
        <source>The reference index %1 is damaged or not a dictd index (line %2 is not &quot;headword&lt;TAB&gt;offset&lt;TAB&gt;length&quot;).</source>
        <translation>Индексът на справочника %1 е повреден или не е индекс на dictd (ред %2 не е „дума&lt;TAB&gt;отместване&lt;TAB&gt;дължина“).</translation>
    </message>
    <message>
        <source>The reference index %1 is damaged: line %2 is not UTF-8.</source>
        <translation>Индексът на справочника %1 е повреден: ред %2 не е в UTF-8.</translation>
    </message>
    <message>
        <source>The reference index %1 holds no headwords.</source>
        <translation>Индексът на справочника %1 не съдържа нито една дума.</translation>
    </message>
    <message>
        <source>The reference dictionary %1 is damaged or not a dictd file (%2).</source>
        <translation>Справочният речник %1 е повреден или не е файл на dictd (%2).</translation>
    </message>
    <message>
        <source>The reference dictionary %1 cannot be read: %2.</source>
        <translation>Справочният речник %1 не може да се прочете: %2.</translation>
    </message>
    <message>
        <source>the gzip header is incomplete</source>
        <translation>заглавната част на gzip е непълна</translation>
    </message>
    <message>
        <source>the gzip extra field is malformed</source>
        <translation>допълнителното поле на gzip е неправилно</translation>
    </message>
    <message>
        <source>the dictzip chunk table is malformed</source>
        <translation>таблицата с блоковете на dictzip е неправилна</translation>
    </message>
    <message>
        <source>The reference dictionary %1 is too large to read without dictzip&apos;s chunk table.</source>
        <translation>Справочният речник %1 е твърде голям, за да се чете без таблицата с блоковете на dictzip.</translation>
    </message>
    <message>
        <source>zlib cannot start</source>
        <translation>zlib не може да започне работа</translation>
    </message>
    <message>
        <source>it inflates beyond any dictionary&apos;s size</source>
        <translation>разгънат, той е по-голям от всеки речник</translation>
    </message>
    <message>
        <source>the compressed data is cut short or corrupt</source>
        <translation>компресираните данни са непълни или повредени</translation>
    </message>
    <message>
        <source>the file is shorter than its chunk table says; it may have been cut short</source>
        <translation>файлът е по-къс, отколкото сочи таблицата му с блоковете; може да е отрязан</translation>
    </message>
    <message>
        <source>chunk %1 cannot be read</source>
        <translation>блок %1 не може да се прочете</translation>
    </message>
    <message>
        <source>chunk %1 does not inflate</source>
        <translation>блок %1 не може да се разгъне</translation>
    </message>
    <message>
        <source>An entry of the reference dictionary %1 is longer than any entry can be (%2 bytes).</source>
        <translation>Статия в справочния речник %1 е по-дълга, отколкото може да бъде която и да е статия (%2 байта).</translation>
    </message>
    <message>
        <source>an entry lies beyond its end</source>
        <translation>статия излиза извън края на файла</translation>
    </message>
    <message>
        <source>an entry cannot be read</source>
        <translation>статия не може да се прочете</translation>
    </message>
</context>
<context>
    <name>TDictionaryCommands</name>
    <message>
        <source>Dictionaries (*.db *.mdb *.sqlite);;All files (*)</source>
        <translation>Речници (*.db *.mdb *.sqlite);;Всички файлове (*)</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Грешка</translation>
    </message>
    <message>
        <source>Create a new, empty dictionary file</source>
        <translation>Създава нов, празен файл с речник</translation>
    </message>
    <message>
        <source>Open another dictionary file</source>
        <translation>Отваря друг файл с речник</translation>
    </message>
    <message>
        <source>The folder %1 for your dictionary cannot be made: %2.</source>
        <translation>Папката %1 за вашия речник не може да се създаде: %2.</translation>
    </message>
    <message>
        <source>

Open a dictionary you have, make a new one (Save), or close the program?</source>
        <translation>

Да се отвори ли речник, който имате, да се създаде ли нов („Запазване“), или да се затвори програмата?</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Потвърждение</translation>
    </message>
    <message>
        <source>Your new dictionary %1 is empty. Fill it with the sample vocabulary ?</source>
        <translation>Новият ви речник %1 е празен. Да се попълни ли с примерните думи?</translation>
    </message>
    <message>
        <source>Open Dictionary</source>
        <translation>Отваряне на речник</translation>
    </message>
    <message>
        <source>The file %1 is an Access database, which this program cannot open.</source>
        <translation>Файлът %1 е база от данни на Access, която тази програма не може да отвори.</translation>
    </message>
    <message>
        <source>New Dictionary</source>
        <translation>Нов речник</translation>
    </message>
    <message>
        <source>The file %1 already exists !</source>
        <translation>Файлът %1 вече съществува!</translation>
    </message>
    <message>
        <source>Cannot write the settings file %1</source>
        <translation>Файлът с настройки %1 не може да се запише</translation>
    </message>
    <message>
        <source>Dictionary</source>
        <translation>Речник</translation>
    </message>
    <message>
        <source>Write every transcription&apos;s stress mark the dictionary&apos;s way (ˋ)</source>
        <translation>Изписва ударението във всяка транскрипция както в речника (ˋ)</translation>
    </message>
    <message>
        <source>Unify Stress Marks</source>
        <translation>Уеднаквяване на ударенията</translation>
    </message>
    <message>
        <source>Every transcription already writes its stress mark as ˋ.</source>
        <translation>Всички транскрипции вече изписват ударението като ˋ.</translation>
    </message>
    <message>
        <source>1 transcription writes</source>
        <translation>1 транскрипция изписва</translation>
    </message>
    <message>
        <source>%1 transcriptions write</source>
        <translation>%1 транскрипции изписват</translation>
    </message>
    <message>
        <source> the stress mark as ˈ. Write it as ˋ, as the rest of the dictionary does?</source>
        <translation> ударението като ˈ. Да се изпише ли като ˋ, както в останалата част от речника?</translation>
    </message>
    <message>
        <source>1 transcription changed.</source>
        <translation>Променена е 1 транскрипция.</translation>
    </message>
    <message>
        <source>%1 transcriptions changed.</source>
        <translation>Променени са %1 транскрипции.</translation>
    </message>
    <message>
        <source>Ne&amp;w Dictionary…</source>
        <translation>Нов &amp;речник…</translation>
    </message>
    <message>
        <source>&amp;Open Dictionary…</source>
        <translation>&amp;Отваряне на речник…</translation>
    </message>
    <message>
        <source>&amp;Unify Stress Marks…</source>
        <translation>&amp;Уеднаквяване на ударенията…</translation>
    </message>
</context>
<context>
    <name>TEditForm</name>
    <message>
        <source>Edit Data</source>
        <translation>Промяна на дума</translation>
    </message>
    <message>
        <source>English</source>
        <translation>Английски</translation>
    </message>
    <message>
        <source>0</source>
        <translation>0</translation>
    </message>
    <message>
        <source>Transcription</source>
        <translation>Транскрипция</translation>
    </message>
    <message>
        <source>Click here to add a special transcript char to Transcription</source>
        <translation>Щракнете, за да добавите фонетичен знак към транскрипцията</translation>
    </message>
    <message>
        <source>Bulgarian</source>
        <translation>Български</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Confirm changes</source>
        <translation>Запазва промените</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отказ</translation>
    </message>
    <message>
        <source>Cancel changes</source>
        <translation>Отказва промените</translation>
    </message>
    <message>
        <source>New Data</source>
        <translation>Нова дума</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Грешка</translation>
    </message>
    <message>
        <source>Enter valid word</source>
        <translation>Въведете правилна дума</translation>
    </message>
    <message>
        <source>The vocabulary is not open.</source>
        <translation>Речникът не е отворен.</translation>
    </message>
    <message>
        <source>
The word &quot;%1&quot; is no longer in the dictionary: OK adds what you typed as a new word.</source>
        <translation>
Думата „%1“ вече не е в речника: OK ще добави написаното като нова дума.</translation>
    </message>
    <message>
        <source>Speak</source>
        <translation>Изговаряне</translation>
    </message>
    <message>
        <source>Say the English word aloud (F8)</source>
        <translation>Изговаря английската дума на глас (F8)</translation>
    </message>
    <message>
        <source>Suggest</source>
        <translation>Предложи</translation>
    </message>
    <message>
        <source>Fill in the transcription from the English word (Ctrl+T)</source>
        <translation>Попълва транскрипцията по английската дума (Ctrl+T)</translation>
    </message>
    <message>
        <source>Type the English word first.</source>
        <translation>Първо напишете английската дума.</translation>
    </message>
    <message>
        <source>There is no pronunciation for this text.</source>
        <translation>За този текст няма произношение.</translation>
    </message>
    <message>
        <source>The transcription is the suggested one.</source>
        <translation>Транскрипцията вече е предложената.</translation>
    </message>
    <message>
        <source>Replace the transcription [%1] with [%2]?</source>
        <translation>Да се замени ли транскрипцията [%1] с [%2]?</translation>
    </message>
    <message>
        <source>The suggestion has %1 characters, but a transcription holds %2; shorten it.</source>
        <translation>Предложението има %1 знака, а транскрипцията побира %2; съкратете го.</translation>
    </message>
    <message>
        <source>Reference</source>
        <translation>Справочник</translation>
    </message>
    <message>
        <source>From the reference dictionary; check it before saving.</source>
        <translation>От справочния речник; проверете я, преди да запишете.</translation>
    </message>
    <message>
        <source>Suggested by espeak-ng; check it before saving.</source>
        <translation>Предложено от espeak-ng; проверете го, преди да запишете.</translation>
    </message>
    <message>
        <source>&amp;English</source>
        <translation>&amp;Английски</translation>
    </message>
    <message>
        <source>Word difficulty &amp;level</source>
        <translation>&amp;Ниво на трудност на думата</translation>
    </message>
    <message>
        <source>&amp;Transcription</source>
        <translation>&amp;Транскрипция</translation>
    </message>
    <message>
        <source>&amp;Bulgarian</source>
        <translation>&amp;Български</translation>
    </message>
    <message>
        <source>&amp;Suggest</source>
        <translation>&amp;Предложи</translation>
    </message>
</context>
<context>
    <name>TExportTarget</name>
    <message>
        <source>The file %1 cannot be written: %2.</source>
        <translation>Във файла %1 не може да се запише: %2.</translation>
    </message>
    <message>
        <source>%1 is the open data file %2 under another name: writing there would destroy the dictionary. Choose another file.</source>
        <translation>%1 е отвореният файл с данни %2 под друго име: записът там би унищожил речника. Изберете друг файл.</translation>
    </message>
    <message>
        <source>%1 is a pipe that no program reads from; nothing was written.</source>
        <translation>%1 е канал, от който никоя програма не чете; нищо не е записано.</translation>
    </message>
    <message>
        <source>The file %1 changed while it was opened; nothing was written.</source>
        <translation>Файлът %1 се промени, докато се отваряше; нищо не е записано.</translation>
    </message>
    <message>
        <source>The program reading from %1 stopped before the export was complete.</source>
        <translation>Програмата, която чете от %1, спря, преди изнасянето да завърши.</translation>
    </message>
    <message>
        <source>%1 is not a regular file (a folder, a socket or a block device); choose another file.</source>
        <translation>%1 не е обикновен файл (а папка, гнездо или блоково устройство); изберете друг файл.</translation>
    </message>
</context>
<context>
    <name>TFieldCounter</name>
    <message>
        <source>%1: %2 of %3</source>
        <translation>%1: %2 от %3</translation>
    </message>
</context>
<context>
    <name>TFindCommand</name>
    <message>
        <source>&amp;Find...</source>
        <translation>Търс&amp;ене…</translation>
    </message>
    <message>
        <source>Find a text in the English words, transcriptions and Bulgarian texts</source>
        <translation>Търси текст в английските думи, транскрипциите и българските текстове</translation>
    </message>
    <message>
        <source>That entry is no longer in the dictionary.</source>
        <translation>Тази дума вече не е в речника.</translation>
    </message>
    <message>
        <source>Find</source>
        <translation>Търсене</translation>
    </message>
</context>
<context>
    <name>TFindForm</name>
    <message>
        <source>English</source>
        <translation>Английски</translation>
    </message>
    <message>
        <source>Transcription</source>
        <translation>Транскрипция</translation>
    </message>
    <message>
        <source>Bulgarian</source>
        <translation>Български</translation>
    </message>
    <message>
        <source>Find</source>
        <translation>Търсене</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Спиране</translation>
    </message>
    <message>
        <source>Everywhere</source>
        <translation>Навсякъде</translation>
    </message>
    <message>
        <source>&amp;Whole words</source>
        <translation>&amp;Цели думи</translation>
    </message>
    <message>
        <source>Found in</source>
        <translation>Намерено в</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>Текст</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Грешка</translation>
    </message>
    <message>
        <source>The dictionary cannot be searched: </source>
        <translation>В речника не може да се търси: </translation>
    </message>
    <message>
        <source>Stopped: %1 found so far</source>
        <translation>Спряно: намерени досега %1</translation>
    </message>
    <message>
        <source>Nothing found</source>
        <translation>Нищо не е намерено</translation>
    </message>
    <message>
        <source>%1 found; the first %2 are listed</source>
        <translation>Намерени %1; показани са първите %2</translation>
    </message>
    <message>
        <source>&amp;Find:</source>
        <translation>&amp;Търсене:</translation>
    </message>
    <message>
        <source>&amp;In:</source>
        <translation>&amp;В:</translation>
    </message>
    <message>
        <source>Searching…</source>
        <translation>Търсене…</translation>
    </message>
    <message>
        <source>Searching… %1 found</source>
        <translation>Търсене… намерени %1</translation>
    </message>
    <message>
        <source>%1 found</source>
        <translation>Намерени %1</translation>
    </message>
</context>
<context>
    <name>TForeignText</name>
    <message>
        <source>Line %1 of the file holds a byte that is no character in Windows-1251: the file has another encoding.</source>
        <translation>Ред %1 на файла съдържа байт, който не е знак в Windows-1251: файлът е в друго кодиране.</translation>
    </message>
    <message>
        <source>The encoding %1 is not known.</source>
        <translation>Кодирането %1 не е познато.</translation>
    </message>
    <message>
        <source>The file is not %1 text: line %2 cannot be read in that encoding.</source>
        <translation>Файлът не е текст в %1: ред %2 не може да се прочете в това кодиране.</translation>
    </message>
</context>
<context>
    <name>TInformationForm</name>
    <message>
        <source>Information</source>
        <translation>Справка</translation>
    </message>
    <message>
        <source>The page could not be opened</source>
        <translation>Страницата не може да се отвори</translation>
    </message>
    <message>
        <source>Back to the report</source>
        <translation>Обратно към справката</translation>
    </message>
    <message>
        <source>The report window cannot open this kind of address.</source>
        <translation>Прозорецът на справката не може да отвори такъв адрес.</translation>
    </message>
    <message>
        <source>Opening %1 ...</source>
        <translation>Отваряне на %1…</translation>
    </message>
    <message>
        <source>The report window cannot show this kind of content (%1).</source>
        <translation>Прозорецът на справката не може да покаже такова съдържание (%1).</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Копиране</translation>
    </message>
    <message>
        <source>Select &amp;All</source>
        <translation>Избиране на &amp;всичко</translation>
    </message>
    <message>
        <source>&amp;Find...</source>
        <translation>&amp;Търсене…</translation>
    </message>
    <message>
        <source>Find &amp;Next</source>
        <translation>&amp;Следващо</translation>
    </message>
    <message>
        <source>Find &amp;Previous</source>
        <translation>&amp;Предишно</translation>
    </message>
    <message>
        <source>&amp;Save as HTML...</source>
        <translation>&amp;Запазване като HTML…</translation>
    </message>
    <message>
        <source>&amp;Print...</source>
        <translation>&amp;Печат…</translation>
    </message>
    <message>
        <source>&amp;Export PDF...</source>
        <translation>&amp;Изнасяне в PDF…</translation>
    </message>
    <message>
        <source>&amp;Back</source>
        <translation>&amp;Назад</translation>
    </message>
    <message>
        <source>Find:</source>
        <translation>Търсене:</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Следващо</translation>
    </message>
    <message>
        <source>Previous</source>
        <translation>Предишно</translation>
    </message>
    <message>
        <source>Searching...</source>
        <translation>Търсене…</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Затваряне</translation>
    </message>
    <message>
        <source>Copying...</source>
        <translation>Копиране…</translation>
    </message>
    <message>
        <source>Not found</source>
        <translation>Не е намерено</translation>
    </message>
    <message>
        <source>The page could not be saved as %1: %2</source>
        <translation>Страницата не може да се запише като %1: %2</translation>
    </message>
    <message>
        <source>Save as HTML</source>
        <translation>Запазване като HTML</translation>
    </message>
    <message>
        <source>HTML pages (*.html *.htm);;All files (*)</source>
        <translation>Страници HTML (*.html *.htm);;Всички файлове (*)</translation>
    </message>
    <message>
        <source>The printer could not be used.</source>
        <translation>Принтерът не може да се използва.</translation>
    </message>
    <message>
        <source>The file %1 could not be written.</source>
        <translation>Файлът %1 не може да се запише.</translation>
    </message>
    <message>
        <source>Printing...</source>
        <translation>Печат…</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отказ</translation>
    </message>
    <message>
        <source>The file %1 could not be written: %2</source>
        <translation>Файлът %1 не може да се запише: %2</translation>
    </message>
    <message>
        <source>Export PDF</source>
        <translation>Изнасяне в PDF</translation>
    </message>
    <message>
        <source>PDF documents (*.pdf);;All files (*)</source>
        <translation>Документи PDF (*.pdf);;Всички файлове (*)</translation>
    </message>
</context>
<context>
    <name>TInterchange</name>
    <message>
        <source>The dictionary cannot be read or written: %1.</source>
        <translation>Речникът не може да се чете или записва: %1.</translation>
    </message>
    <message>
        <source>Entry %1 (%2) holds the character U+%3, which a %4 file cannot carry; nothing was written. Correct the entry and export again.</source>
        <translation>Записът %1 (%2) съдържа знака U+%3, който не може да се запише във файл %4; нищо не е записано. Поправете записа и изнесете отново.</translation>
    </message>
    <message>
        <source>KDE vocabulary</source>
        <translation>с речник на KDE</translation>
    </message>
    <message>
        <source>tab-separated text</source>
        <translation>текст, разделен с табулации</translation>
    </message>
    <message>
        <source>comma-separated text</source>
        <translation>текст, разделен със запетаи</translation>
    </message>
    <message>
        <source>KDE vocabulary document</source>
        <translation>речник на KDE</translation>
    </message>
    <message>
        <source>Access database</source>
        <translation>база от данни на Access</translation>
    </message>
    <message>
        <source>unknown format</source>
        <translation>непознат формат</translation>
    </message>
    <message>
        <source>The file %1 does not exist.</source>
        <translation>Файлът %1 не съществува.</translation>
    </message>
    <message>
        <source>The file %1 cannot be read: %2.</source>
        <translation>Файлът %1 не може да се прочете: %2.</translation>
    </message>
    <message>
        <source>The file %1 is too large to import (%2 MB): files of up to %3 MB are read.</source>
        <translation>Файлът %1 е твърде голям за внасяне (%2 MB): четат се файлове до %3 MB.</translation>
    </message>
    <message>
        <source>There is not enough memory to read the file %1 (%2 MB).</source>
        <translation>Няма достатъчно памет, за да се прочете файлът %1 (%2 MB).</translation>
    </message>
    <message>
        <source>Choose the column that holds the English word.</source>
        <translation>Изберете колоната с английската дума.</translation>
    </message>
    <message>
        <source>The table %1 has no column %2 that holds text or numbers.</source>
        <translation>В таблицата %1 няма колона %2 с текст или числа.</translation>
    </message>
    <message>
        <source>the English word is empty</source>
        <translation>английската дума е празна</translation>
    </message>
    <message>
        <source>the English word holds a control character</source>
        <translation>английската дума съдържа управляващ знак</translation>
    </message>
    <message>
        <source>the transcription holds a control character</source>
        <translation>транскрипцията съдържа управляващ знак</translation>
    </message>
    <message>
        <source>the Bulgarian text holds a control character</source>
        <translation>българският текст съдържа управляващ знак</translation>
    </message>
    <message>
        <source>the English word is longer than %1 characters</source>
        <translation>английската дума е по-дълга от %1 знака</translation>
    </message>
    <message>
        <source>the transcription is longer than %1 characters</source>
        <translation>транскрипцията е по-дълга от %1 знака</translation>
    </message>
    <message>
        <source>the Bulgarian text is longer than %1 characters</source>
        <translation>българският текст е по-дълъг от %1 знака</translation>
    </message>
    <message>
        <source>the level is not a number from 0 to 9</source>
        <translation>нивото не е число от 0 до 9</translation>
    </message>
    <message>
        <source>Cancelled: nothing was added</source>
        <translation>Отказано: нищо не е добавено</translation>
    </message>
    <message>
        <source>Nothing was added</source>
        <translation>Нищо не е добавено</translation>
    </message>
    <message>
        <source>Rows read: %1
To add: %2
Skipped: %3
Duplicates: %4</source>
        <translation>Прочетени редове: %1
За добавяне: %2
Пропуснати: %3
Повторения: %4</translation>
    </message>
    <message>
        <source>

Skipped rows:</source>
        <translation>

Пропуснати редове:</translation>
    </message>
    <message>
        <source>
... and %1 more</source>
        <translation>
… и още %1</translation>
    </message>
    <message>
        <source>The dictionary is busy with another change; try again.</source>
        <translation>Речникът е зает с друга промяна; опитайте отново.</translation>
    </message>
    <message>
        <source>the dictionary is full</source>
        <translation>речникът е пълен</translation>
    </message>
    <message>
        <source>Entry %1 (%2) holds bytes that are not UTF-8 text (written by another program); nothing was written. Correct the entry and export again.</source>
        <translation>Записът %1 (%2) съдържа байтове, които не са текст в UTF-8 (записани от друга програма); нищо не е записано. Поправете записа и изнесете отново.</translation>
    </message>
    <message>
        <source>Access files are only read, never written.</source>
        <translation>Файловете на Access само се четат, никога не се записват.</translation>
    </message>
    <message>
        <source>There is not enough memory to export the dictionary to %1.</source>
        <translation>Няма достатъчно памет, за да се изнесе речникът в %1.</translation>
    </message>
    <message>
        <source>The Access file %1 has no vocabulary table English (with a column ENAME); choose a table and its columns.</source>
        <translation>Във файла на Access %1 няма речникова таблица English (с колона ENAME); изберете таблица и колоните ѝ.</translation>
    </message>
    <message>
        <source>Added %1 entry</source>
        <translation>Добавена е %1 дума</translation>
    </message>
    <message>
        <source>Added %1 entries</source>
        <translation>Добавени са %1 думи</translation>
    </message>
    <message>
        <source>flashcard notes (Basic)</source>
        <translation>бележки с флаш карти (Basic)</translation>
    </message>
    <message>
        <source>, skipped %1, duplicates %2</source>
        <translation>, пропуснати %1, повторения %2</translation>
    </message>
    <message>
        <source>, empty rows %1</source>
        <translation>, празни редове %1</translation>
    </message>
    <message>
        <source>
Empty rows (left out): %1</source>
        <translation>
Празни редове (пропуснати): %1</translation>
    </message>
    <message>
        <source>OpenDocument spreadsheet</source>
        <translation>електронна таблица OpenDocument</translation>
    </message>
    <message>
        <source>Excel workbook</source>
        <translation>работна книга на Excel</translation>
    </message>
    <message>
        <source>Words are read from .tsv, .txt, .csv, .kvtml, .ods and .xlsx files here.</source>
        <translation>Тук думи се внасят от файлове .tsv, .txt, .csv, .kvtml, .ods и .xlsx.</translation>
    </message>
    <message>
        <source>The file name does not tell the format: end it in .tsv, .txt, .csv, .kvtml, .ods or .xlsx.</source>
        <translation>От името на файла не личи форматът: завършете го с .tsv, .txt, .csv, .kvtml, .ods или .xlsx.</translation>
    </message>
</context>
<context>
    <name>TInterchangeCommands</name>
    <message>
        <source>Import</source>
        <translation>Внасяне</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Изнасяне</translation>
    </message>
    <message>
        <source>An import is running. Wait for it to end, or cancel it, and try again.</source>
        <translation>Тече внасяне. Изчакайте го да свърши или го откажете и опитайте отново.</translation>
    </message>
    <message>
        <source>There is not enough memory for this; nothing was changed.</source>
        <translation>Няма достатъчно памет за това; нищо не е променено.</translation>
    </message>
    <message>
        <source>&amp;Import...</source>
        <translation>&amp;Внасяне…</translation>
    </message>
    <message>
        <source>Add words from a text, KDE vocabulary or Access file</source>
        <translation>Добавя думи от текстов файл, речник на KDE или файл на Access</translation>
    </message>
    <message>
        <source>E&amp;xport...</source>
        <translation>И&amp;знасяне…</translation>
    </message>
    <message>
        <source>Write every word to a text or KDE vocabulary file</source>
        <translation>Записва всички думи в текстов файл или речник на KDE</translation>
    </message>
    <message>
        <source>New Dictionary</source>
        <translation>Нов речник</translation>
    </message>
    <message>
        <source>Dictionaries (*.db *.sqlite)</source>
        <translation>Речници (*.db *.sqlite)</translation>
    </message>
    <message>
        <source>No dictionary is open.</source>
        <translation>Няма отворен речник.</translation>
    </message>
    <message>
        <source>%1 holds no words.</source>
        <translation>В %1 няма думи.</translation>
    </message>
    <message>
        <source>

Add these entries to the dictionary?</source>
        <translation>

Да се добавят ли тези думи към речника?</translation>
    </message>
    <message>
        <source>The import was cancelled; the dictionary is unchanged.</source>
        <translation>Внасянето е отказано; речникът е непроменен.</translation>
    </message>
    <message>
        <source>

There is nothing to add.</source>
        <translation>

Няма нищо за добавяне.</translation>
    </message>
    <message>
        <source>Exported %1 entry to %2.</source>
        <translation>Изнесена е %1 дума в %2.</translation>
    </message>
    <message>
        <source>Exported %1 entries to %2.</source>
        <translation>Изнесени са %1 думи в %2.</translation>
    </message>
</context>
<context>
    <name>TInterchangeDialogs</name>
    <message>
        <source>Tab-separated text, flashcard programs (*.tsv *.txt *.tab)</source>
        <translation>Текст, разделен с табулации, за програми с флаш карти (*.tsv *.txt *.tab)</translation>
    </message>
    <message>
        <source>Comma-separated text (*.csv)</source>
        <translation>Текст, разделен със запетаи (*.csv)</translation>
    </message>
    <message>
        <source>KDE vocabulary documents (*.kvtml)</source>
        <translation>Речници на KDE (*.kvtml)</translation>
    </message>
    <message>
        <source>Access databases (*.mdb *.accdb)</source>
        <translation>Бази от данни на Access (*.mdb *.accdb)</translation>
    </message>
    <message>
        <source>Export Words</source>
        <translation>Изнасяне на думи</translation>
    </message>
    <message>
        <source>Import Words</source>
        <translation>Внасяне на думи</translation>
    </message>
    <message>
        <source>The Access file holds no tables.</source>
        <translation>Във файла на Access няма таблици.</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>Внасяне</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отказ</translation>
    </message>
    <message>
        <source>Import from an Access table</source>
        <translation>Внасяне от таблица на Access</translation>
    </message>
    <message>
        <source>Choose the table and the columns that hold the English word, its transcription, the Bulgarian text and the level.</source>
        <translation>Изберете таблицата и колоните, в които са английската дума, транскрипцията ѝ, българският текст и нивото.</translation>
    </message>
    <message>
        <source>&amp;Table:</source>
        <translation>&amp;Таблица:</translation>
    </message>
    <message>
        <source>&amp;English:</source>
        <translation>&amp;Английски:</translation>
    </message>
    <message>
        <source>T&amp;ranscription:</source>
        <translation>Т&amp;ранскрипция:</translation>
    </message>
    <message>
        <source>&amp;Bulgarian:</source>
        <translation>&amp;Български:</translation>
    </message>
    <message>
        <source>&amp;Level:</source>
        <translation>&amp;Ниво:</translation>
    </message>
    <message>
        <source>(none)</source>
        <translation>(няма)</translation>
    </message>
    <message>
        <source>Anki notes, transcription on the front (*.txt)</source>
        <translation>Бележки за Anki, транскрипцията отпред (*.txt)</translation>
    </message>
    <message>
        <source>Anki notes, transcription on the back (*.txt)</source>
        <translation>Бележки за Anki, транскрипцията отзад (*.txt)</translation>
    </message>
    <message>
        <source>

Which encoding was it saved in?</source>
        <translation>

В какво кодиране е записан?</translation>
    </message>
    <message>
        <source>The encoding %1 is not known.</source>
        <translation>Кодирането %1 не е познато.</translation>
    </message>
    <message>
        <source>&amp;Encoding:</source>
        <translation>&amp;Кодиране:</translation>
    </message>
    <message>
        <source>Column &amp;1:</source>
        <translation>Колона &amp;1:</translation>
    </message>
    <message>
        <source>Column &amp;2:</source>
        <translation>Колона &amp;2:</translation>
    </message>
    <message>
        <source>Column &amp;3:</source>
        <translation>Колона &amp;3:</translation>
    </message>
    <message>
        <source>OpenDocument spreadsheets (*.ods)</source>
        <translation>Електронни таблици OpenDocument (*.ods)</translation>
    </message>
    <message>
        <source>Excel workbooks (*.xlsx)</source>
        <translation>Работни книги на Excel (*.xlsx)</translation>
    </message>
    <message>
        <source>All word files (*.tsv *.txt *.tab *.csv *.kvtml *.ods *.xlsx *.mdb *.accdb)</source>
        <translation>Всички файлове с думи (*.tsv *.txt *.tab *.csv *.kvtml *.ods *.xlsx *.mdb *.accdb)</translation>
    </message>
    <message>
        <source>

Which are English and Bulgarian? The others are left out.</source>
        <translation>

Кои са английският и българският? Останалите се пропускат.</translation>
    </message>
    <message>
        <source>The document has no language %1.</source>
        <translation>Документът няма език %1.</translation>
    </message>
</context>
<context>
    <name>TKvtmlDocument</name>
    <message>
        <source>The file is not a KDE vocabulary document that can be read: %1 (line %2).</source>
        <translation>Файлът не е речник на KDE, който може да се прочете: %1 (ред %2).</translation>
    </message>
    <message>
        <source>it declares entities in an encoding that is not read</source>
        <translation>обявява същности в кодиране, което не се чете</translation>
    </message>
    <message>
        <source>its entities expand to more than %1 characters</source>
        <translation>същностите му се разгръщат в повече от %1 знака</translation>
    </message>
    <message>
        <source>elements are nested more than %1 deep</source>
        <translation>елементите са вложени на повече от %1 нива</translation>
    </message>
    <message>
        <source>it holds no element</source>
        <translation>в него няма нито един елемент</translation>
    </message>
    <message>
        <source>its root element is not kvtml</source>
        <translation>коренният му елемент не е kvtml</translation>
    </message>
    <message>
        <source>only version 2 documents are read</source>
        <translation>четат се само документи от версия 2</translation>
    </message>
    <message>
        <source>Languages left out: %1.</source>
        <translation>Пропуснати езици: %1.</translation>
    </message>
    <message>
        <source>Choose two different languages of the document.</source>
        <translation>Изберете два различни езика от документа.</translation>
    </message>
    <message>
        <source>The document holds %1 languages.</source>
        <translation>Документът съдържа %1 езика.</translation>
    </message>
    <message>
        <source>The document&apos;s language codes do not say which is English and which is Bulgarian.</source>
        <translation>Кодовете на езиците в документа не показват кой е английският и кой българският.</translation>
    </message>
    <message>
        <source>Taken in the document&apos;s order: %1 as English, %2 as Bulgarian.</source>
        <translation>Взети по реда в документа: %1 като английски, %2 като български.</translation>
    </message>
</context>
<context>
    <name>TKvtmlExtras</name>
    <message>
        <source>The practice records and lessons cannot be kept: %1.</source>
        <translation>Данните за упражненията и уроците не могат да бъдат запазени: %1.</translation>
    </message>
    <message>
        <source>Practice records taken into the review: %1.</source>
        <translation>Данни за упражнения, взети в преговора: %1.</translation>
    </message>
    <message>
        <source>Lesson names kept (offered back on export): %1.</source>
        <translation>Запазени имена на уроци (връщат се при изнасяне): %1.</translation>
    </message>
</context>
<context>
    <name>TLearnForm</name>
    <message>
        <source>LearnForm</source>
        <translation>Бележка за учене</translation>
    </message>
    <message>
        <source>Knew</source>
        <translation>Знаех</translation>
    </message>
    <message>
        <source>Forgot</source>
        <translation>Забравих</translation>
    </message>
</context>
<context>
    <name>TLearnNotes</name>
    <message>
        <source>&amp;Stop LM</source>
        <translation>&amp;Спиране на бележките</translation>
    </message>
    <message>
        <source>&amp;Start LM</source>
        <translation>Пу&amp;скане на бележките</translation>
    </message>
</context>
<context>
    <name>TMeaningFinder</name>
    <message>
        <source>Meanings cannot be searched: </source>
        <translation>В значенията не може да се търси: </translation>
    </message>
    <message>
        <source>No meaning begins so</source>
        <translation>Никое значение не започва така</translation>
    </message>
    <message>
        <source>Meaning %1 of %2</source>
        <translation>Значение %1 от %2</translation>
    </message>
    <message>
        <source>%1 meanings begin so</source>
        <translation>%1 значения започват така</translation>
    </message>
</context>
<context>
    <name>TMessageForm</name>
    <message>
        <source>Message</source>
        <translation>Съобщение</translation>
    </message>
</context>
<context>
    <name>TOptionsForm</name>
    <message>
        <source>Options</source>
        <translation>Настройки</translation>
    </message>
    <message>
        <source>Basic</source>
        <translation>Основни</translation>
    </message>
    <message>
        <source>Word Colors</source>
        <translation>Цветове на думите</translation>
    </message>
    <message>
        <source>Repeat Task</source>
        <translation>Време в секунди</translation>
    </message>
    <message>
        <source>0</source>
        <translation>0</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>Бележка</translation>
    </message>
    <message>
        <source>Upper Left Corner</source>
        <translation>Горе вляво</translation>
    </message>
    <message>
        <source>Upper Right Corner</source>
        <translation>Горе вдясно</translation>
    </message>
    <message>
        <source>Down Left Corner</source>
        <translation>Долу вляво</translation>
    </message>
    <message>
        <source>Down Right Corner</source>
        <translation>Долу вдясно</translation>
    </message>
    <message>
        <source>X Axis</source>
        <translation>По X</translation>
    </message>
    <message>
        <source>Y Axis</source>
        <translation>По Y</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Confirm changes</source>
        <translation>Запазва промените</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отказ</translation>
    </message>
    <message>
        <source>Cancel changes</source>
        <translation>Отказва промените</translation>
    </message>
    <message>
        <source>System</source>
        <translation>Според системата</translation>
    </message>
    <message>
        <source>The language of the windows, from the next start of the program</source>
        <translation>Езикът на прозорците, от следващото стартиране на програмата</translation>
    </message>
    <message>
        <source>Bring the window forward, take the keyboard</source>
        <translation>Прозорецът отпред, с клавиатурата</translation>
    </message>
    <message>
        <source>Show the window, leave the keyboard</source>
        <translation>Прозорецът се показва, без клавиатурата</translation>
    </message>
    <message>
        <source>What the window does when copied text is looked up</source>
        <translation>Какво прави прозорецът, когато търси копиран текст</translation>
    </message>
    <message>
        <source>Speech</source>
        <translation>Говор</translation>
    </message>
    <message>
        <source>British English</source>
        <translation>Британски</translation>
    </message>
    <message>
        <source>American English</source>
        <translation>Американски</translation>
    </message>
    <message>
        <source>A learning note says its English word when it appears</source>
        <translation>Бележката за учене изговаря английската си дума, когато се появи</translation>
    </message>
    <message>
        <source>A random word</source>
        <translation>Случайна дума</translation>
    </message>
    <message>
        <source>The next word due (Knew / Forgot)</source>
        <translation>Следващата дума за преговор</translation>
    </message>
    <message>
        <source>What a learning note shows: a random word, or the next word to review</source>
        <translation>Какво показва бележката: случайна дума или следващата дума за преговор</translation>
    </message>
    <message>
        <source>Reference dictionary</source>
        <translation>Справочен речник</translation>
    </message>
    <message>
        <source>Show the senses of a reference dictionary in the word editor and for words not found</source>
        <translation>Значенията от справочния речник се показват при нова дума и за ненамерени думи</translation>
    </message>
    <message>
        <source>The .index file of a dictd dictionary; empty for FreeDict&apos;s English–Bulgarian</source>
        <translation>Файлът .index на речник във формат dictd; празно за англо-българския речник на FreeDict</translation>
    </message>
    <message>
        <source>Choose a dictd dictionary&apos;s index file</source>
        <translation>Изберете файла .index на речник dictd</translation>
    </message>
    <message>
        <source>Off: new words get no suggested meanings.</source>
        <translation>Изключено: без предложени значения.</translation>
    </message>
    <message>
        <source>FreeDict English–Bulgarian (CC BY-SA) is installed.</source>
        <translation>FreeDict (CC BY-SA) е инсталиран.</translation>
    </message>
    <message>
        <source>A dictd dictionary; it is read when first needed.</source>
        <translation>Речник dictd; чете се при нужда.</translation>
    </message>
    <message>
        <source>Not installed. To get it: sudo apt install %1</source>
        <translation>Липсва: sudo apt install %1</translation>
    </message>
    <message>
        <source>There is no such file.</source>
        <translation>Няма такъв файл.</translation>
    </message>
    <message>
        <source>dictd index (*.index);;All files (*)</source>
        <translation>Индекс на dictd (*.index);;Всички файлове (*)</translation>
    </message>
    <message>
        <source>&amp;Star Learning Notes</source>
        <translation>Бележки за &amp;учене</translation>
    </message>
    <message>
        <source>Start with &amp;Windows</source>
        <translation>&amp;Старт при влизане</translation>
    </message>
    <message>
        <source>Get &amp;clipboard text</source>
        <translation>Търси &amp;копираното</translation>
    </message>
    <message>
        <source>&amp;Hide on close button</source>
        <translation>&amp;Затваряне скрива</translation>
    </message>
    <message>
        <source>&amp;English</source>
        <translation>&amp;Английски</translation>
    </message>
    <message>
        <source>&amp;Transcription</source>
        <translation>&amp;Транскрипция</translation>
    </message>
    <message>
        <source>&amp;Bulgarian</source>
        <translation>&amp;Български</translation>
    </message>
    <message>
        <source>E&amp;very</source>
        <translation>&amp;На всеки</translation>
    </message>
    <message>
        <source>D&amp;uration</source>
        <translation>Тра&amp;е</translation>
    </message>
    <message>
        <source>Dela&amp;y BG</source>
        <translation>Пре&amp;вод</translation>
    </message>
    <message>
        <source>Co&amp;lor</source>
        <translation>&amp;Цвят</translation>
    </message>
    <message>
        <source>&amp;Position</source>
        <translation>&amp;Място</translation>
    </message>
    <message>
        <source>T&amp;ransparent</source>
        <translation>Прозра&amp;чна</translation>
    </message>
    <message>
        <source>&amp;Animate</source>
        <translation>&amp;Движение</translation>
    </message>
    <message>
        <source>Animate A&amp;xis</source>
        <translation>&amp;Посока</translation>
    </message>
    <message>
        <source>&amp;Interface language</source>
        <translation>Език на &amp;интерфейса</translation>
    </message>
    <message>
        <source>On loo&amp;k-up</source>
        <translation>П&amp;ри търсене на копиран текст</translation>
    </message>
    <message>
        <source>&amp;Notes show</source>
        <translation>Бе&amp;лежките показват</translation>
    </message>
    <message>
        <source>Suggest &amp;meanings for new words</source>
        <translation>Предлагай значени&amp;я</translation>
    </message>
    <message>
        <source>V&amp;oice</source>
        <translation>&amp;Глас</translation>
    </message>
    <message>
        <source>Notes say their wor&amp;d</source>
        <translation>Бележките изг&amp;оварят думата си</translation>
    </message>
</context>
<context>
    <name>TPaintMachine</name>
    <message>
        <source>Not enough memory for the background picture</source>
        <translation>Няма достатъчно памет за фоновата картина</translation>
    </message>
    <message>
        <source>Have a Problem with - %1!</source>
        <translation>Проблем с %1!</translation>
    </message>
    <message>
        <source>Please Select Correct DataBase File in ScreenSaver Settings... !</source>
        <translation>Изберете правилния файл с данни в настройките на скрийнсейвъра!</translation>
    </message>
    <message>
        <source>There are no records in the Database</source>
        <translation>В речника няма нито една дума</translation>
    </message>
</context>
<context>
    <name>TProgressForm</name>
    <message>
        <source>Progres</source>
        <translation>Напредък</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Спиране</translation>
    </message>
</context>
<context>
    <name>TReferenceDictionary</name>
    <message>
        <source>The reference index %1 does not exist.</source>
        <translation>Индексът на справочника %1 не съществува.</translation>
    </message>
    <message>
        <source>The reference dictionary %1 is shorter than its index says; it may have been cut short or belong to another index.</source>
        <translation>Справочният речник %1 е по-къс, отколкото сочи индексът му; може да е отрязан или да е от друг индекс.</translation>
    </message>
    <message>
        <source>a form of %1</source>
        <translation>форма на %1</translation>
    </message>
    <message>
        <source>also a form of %1</source>
        <translation>също форма на %1</translation>
    </message>
    <message>
        <source>the phrase is not in the reference; its first word is</source>
        <translation>изразът липсва в справочника; първата му дума е</translation>
    </message>
</context>
<context>
    <name>TReferenceHint</name>
    <message>
        <source>reference: %1</source>
        <translation>справочник: %1</translation>
    </message>
</context>
<context>
    <name>TReferencePanel</name>
    <message>
        <source>Check the senses to put into the Bulgarian text, one a line (from FreeDict, CC BY-SA)</source>
        <translation>Отметнете значенията за българския текст, по едно на ред (от FreeDict, CC BY-SA)</translation>
    </message>
    <message>
        <source>Keep the reference&apos;s stress accents in the Bulgarian text (къ́ща)</source>
        <translation>Запазва ударенията от справочника в българския текст (къ́ща)</translation>
    </message>
    <message>
        <source>Fill in the transcription the reference dictionary gives</source>
        <translation>Попълва транскрипцията от справочния речник</translation>
    </message>
    <message>
        <source>Show or hide the reference dictionary&apos;s senses (Ctrl+R goes to them)</source>
        <translation>Показва или скрива значенията от справочника (Ctrl+R отива при тях)</translation>
    </message>
    <message>
        <source>Reading the reference dictionary…</source>
        <translation>Справочният речник се зарежда…</translation>
    </message>
    <message>
        <source>Type the English word to see the reference&apos;s senses.</source>
        <translation>Напишете английската дума, за да видите значенията ѝ в справочника.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not in the reference.</source>
        <translation>„%1“ липсва в справочника.</translation>
    </message>
    <message>
        <source>Reference: %1 %2</source>
        <translation>Справочник: %1 %2</translation>
    </message>
    <message>
        <source>&amp;Keep accents</source>
        <translation>С &amp;ударения</translation>
    </message>
    <message>
        <source>&amp;Reference</source>
        <translation>&amp;Справочник</translation>
    </message>
</context>
<context>
    <name>TRegistry</name>
    <message>
        <source>The settings file %1 is not a regular file; it was left as it is.</source>
        <translation>Файлът с настройки %1 не е обикновен файл; оставен е както е.</translation>
    </message>
    <message>
        <source>The settings file %1 is larger than %2 MB; it was left as it is.</source>
        <translation>Файлът с настройки %1 е по-голям от %2 MB; оставен е както е.</translation>
    </message>
    <message>
        <source>Failed to set data for &apos;%1&apos;</source>
        <translation>Стойността „%1“ не може да се запише</translation>
    </message>
</context>
<context>
    <name>TReportPages</name>
    <message>
        <source>Vexlo Vocabulary project</source>
        <translation>Проектът Vexlo Vocabulary</translation>
    </message>
    <message>
        <source>Report</source>
        <translation>Справка</translation>
    </message>
    <message>
        <source>Word Level</source>
        <translation>Ниво на думите</translation>
    </message>
    <message>
        <source>Count</source>
        <translation>Брой</translation>
    </message>
    <message>
        <source>DataBase File</source>
        <translation>Файл с данни</translation>
    </message>
    <message>
        <source>Last filled word</source>
        <translation>Последна въведена дума</translation>
    </message>
</context>
<context>
    <name>TReviewCommand</name>
    <message>
        <source>Review the words that are due, then new ones</source>
        <translation>Преговор на думите, чийто ред е дошъл, после на нови</translation>
    </message>
    <message>
        <source>&amp;Review</source>
        <translation>&amp;Преговор</translation>
    </message>
</context>
<context>
    <name>TReviewForm</name>
    <message>
        <source>Review</source>
        <translation>Преговор</translation>
    </message>
    <message>
        <source>1 Again</source>
        <translation>1 Отново</translation>
    </message>
    <message>
        <source>2 Hard</source>
        <translation>2 Трудно</translation>
    </message>
    <message>
        <source>3 Good</source>
        <translation>3 Добре</translation>
    </message>
    <message>
        <source>4 Easy</source>
        <translation>4 Лесно</translation>
    </message>
    <message>
        <source>1 Forgot</source>
        <translation>1 Забравих</translation>
    </message>
    <message>
        <source>2 Knew</source>
        <translation>2 Знаех</translation>
    </message>
    <message>
        <source>Due: %1    New: %2    Done: %3</source>
        <translation>За преговор: %1    Нови: %2    Готови: %3</translation>
    </message>
    <message>
        <source>Nothing to review now.</source>
        <translation>Засега няма нищо за преговор.</translation>
    </message>
    <message>
        <source>Well done: %1 answers (Again %2, Hard %3, Good %4, Easy %5).</source>
        <translation>Браво! Отговори: %1 (отново %2, трудно %3, добре %4, лесно %5).</translation>
    </message>
    <message>
        <source>Next word due: %1.</source>
        <translation>Следващата дума за преговор: %1.</translation>
    </message>
    <message>
        <source>&amp;Show answer (Space)</source>
        <translation>&amp;Показване на отговора (интервал)</translation>
    </message>
    <message>
        <source>Spea&amp;k (F8)</source>
        <translation>&amp;Изговаряне (F8)</translation>
    </message>
    <message>
        <source>&amp;Undo (Ctrl+Z)</source>
        <translation>&amp;Отмяна (Ctrl+Z)</translation>
    </message>
    <message>
        <source>S&amp;ettings...</source>
        <translation>&amp;Настройки…</translation>
    </message>
    <message>
        <source>&amp;Progress...</source>
        <translation>Напре&amp;дък…</translation>
    </message>
</context>
<context>
    <name>TReviewProgressPage</name>
    <message>
        <source>%1 in all</source>
        <translation>общо %1</translation>
    </message>
    <message>
        <source>Review Progress</source>
        <translation>Напредък в преговора</translation>
    </message>
    <message>
        <source>Due today:</source>
        <translation>За преговор днес:</translation>
    </message>
    <message>
        <source>Due tomorrow:</source>
        <translation>За преговор утре:</translation>
    </message>
    <message>
        <source>today</source>
        <translation>днес</translation>
    </message>
    <message>
        <source>tomorrow</source>
        <translation>утре</translation>
    </message>
    <message>
        <source>Words due over the next 30 days</source>
        <translation>Думи за преговор през следващите 30 дни</translation>
    </message>
    <message>
        <source>Answers over the last 90 days</source>
        <translation>Отговори през последните 90 дни</translation>
    </message>
    <message>
        <source>Recall over the last 90 days</source>
        <translation>Запомняне през последните 90 дни</translation>
    </message>
    <message>
        <source>Achieved</source>
        <translation>Постигнато</translation>
    </message>
    <message>
        <source>Desired</source>
        <translation>Желано</translation>
    </message>
    <message>
        <source>%1 of %2 reviews recalled</source>
        <translation>Спомнени %1 от %2 преговора</translation>
    </message>
    <message>
        <source>No reviews of words seen before yet</source>
        <translation>Още няма преговор на вече виждани думи</translation>
    </message>
</context>
<context>
    <name>TReviewSession</name>
    <message>
        <source>There is no word to answer.</source>
        <translation>Няма дума, на която да се отговори.</translation>
    </message>
</context>
<context>
    <name>TReviewSettingsForm</name>
    <message>
        <source>Review Settings</source>
        <translation>Настройки на преговора</translation>
    </message>
    <message>
        <source>&amp;Desired retention:</source>
        <translation>&amp;Желано запомняне:</translation>
    </message>
    <message>
        <source> days</source>
        <translation> дни</translation>
    </message>
    <message>
        <source>&amp;Maximum interval:</source>
        <translation>Най-дълъг &amp;интервал:</translation>
    </message>
    <message>
        <source>&amp;New words a day:</source>
        <translation>&amp;Нови думи на ден:</translation>
    </message>
    <message>
        <source>English → Bulgarian</source>
        <translation>Английски → български</translation>
    </message>
    <message>
        <source>Bulgarian → English</source>
        <translation>Български → английски</translation>
    </message>
    <message>
        <source>Mixed</source>
        <translation>Смесено</translation>
    </message>
    <message>
        <source>&amp;Ask:</source>
        <translation>&amp;Посока:</translation>
    </message>
    <message>
        <source>&amp;Two buttons: Knew / Forgot</source>
        <translation>&amp;Два бутона: Знаех / Забравих</translation>
    </message>
    <message>
        <source>&amp;Spread the intervals a little</source>
        <translation>&amp;Леко разпръскване на интервалите</translation>
    </message>
    <message>
        <source>Set the &amp;level from the review</source>
        <translation>Нивото на думата &amp;според преговора</translation>
    </message>
</context>
<context>
    <name>TReviewStore</name>
    <message>
        <source>The dictionary file cannot be changed, so this review is kept in memory only: the answers are lost when the program ends.</source>
        <translation>Файлът на речника не може да се променя, затова този преговор се пази само в паметта: отговорите се губят, когато програмата се затвори.</translation>
    </message>
    <message>
        <source>The review&apos;s memory cannot be made in the dictionary file: %1</source>
        <translation>Паметта на преговора не може да се създаде във файла на речника: %1</translation>
    </message>
    <message>
        <source>The answer cannot be saved: %1</source>
        <translation>Отговорът не може да се запише: %1</translation>
    </message>
</context>
<context>
    <name>TScreenSaverDataModule</name>
    <message>
        <source>The dictionary was changed by another program (or another copy of Vexlo Vocabulary) after it was shown here, so nothing was saved. The list now shows the dictionary as it is; make the change again if it is still needed.</source>
        <translation>Речникът е променен от друга програма (или от друго копие на Vexlo Vocabulary), след като е показан тук, затова нищо не е записано. Списъкът вече показва речника такъв, какъвто е; направете промяната отново, ако още е нужна.</translation>
    </message>
    <message>
        <source>The file %1 does not exists !</source>
        <translation>Файлът %1 не съществува!</translation>
    </message>
    <message>
        <source>The dictionary file %1 was replaced by another file while Vexlo Vocabulary had it open. Nothing was saved to either file; the list now shows the new file.</source>
        <translation>Файлът с речника %1 беше заменен с друг файл, докато Vexlo Vocabulary го държеше отворен. Нищо не е записано в никой от двата файла; списъкът вече показва новия файл.</translation>
    </message>
    <message>
        <source>The dictionary file %1 was replaced by another file while Vexlo Vocabulary had it open. Nothing was saved to either file, and the new file cannot be opened:
</source>
        <translation>Файлът с речника %1 беше заменен с друг файл, докато Vexlo Vocabulary го държеше отворен. Нищо не е записано в никой от двата файла, а новият файл не може да се отвори:
</translation>
    </message>
    <message>
        <source>The dictionary file %1 was deleted or moved away by another program while Vexlo Vocabulary had it open. Nothing can be saved until the file is back at that place; open another file or put it back.</source>
        <translation>Файлът с речника %1 беше изтрит или преместен от друга програма, докато Vexlo Vocabulary го държеше отворен. Нищо не може да се запише, докато файлът не се върне на мястото си; отворете друг файл или го върнете.</translation>
    </message>
    <message>
        <source>There is no entry to delete.</source>
        <translation>Няма дума за изтриване.</translation>
    </message>
    <message>
        <source>The entries after the deleted one could not be numbered again (%1 of %2 changed). Nothing was deleted.</source>
        <translation>Думите след изтритата не можаха да се преномерират (променени са %1 от %2). Нищо не е изтрито.</translation>
    </message>
</context>
<context>
    <name>TSingleInstance</name>
    <message>
        <source>it cannot be looked at (%1)</source>
        <translation>не може да се провери (%1)</translation>
    </message>
    <message>
        <source>it is a symbolic link</source>
        <translation>тя е символна връзка</translation>
    </message>
    <message>
        <source>it is not a directory</source>
        <translation>тя не е папка</translation>
    </message>
    <message>
        <source>it belongs to another user</source>
        <translation>тя принадлежи на друг потребител</translation>
    </message>
    <message>
        <source>others have access to it</source>
        <translation>други имат достъп до нея</translation>
    </message>
    <message>
        <source>The directory %1 for the single-instance lock cannot be made (%2); this copy runs on its own.</source>
        <translation>Папката %1 за заключването срещу второ копие не може да се създаде (%2); това копие работи самостоятелно.</translation>
    </message>
    <message>
        <source>The directory %1 for the single-instance lock is not safe: %2. This copy runs on its own and hands nothing over.</source>
        <translation>Папката %1 за заключването срещу второ копие не е безопасна: %2. Това копие работи самостоятелно и не предава нищо.</translation>
    </message>
</context>
<context>
    <name>TSpeaker</name>
    <message>
        <source>No sound device could be opened.</source>
        <translation>Звуковото устройство не може да се отвори.</translation>
    </message>
</context>
<context>
    <name>TSpeechCommands</name>
    <message>
        <source>Speak</source>
        <translation>Изговаряне</translation>
    </message>
    <message>
        <source>Say the word aloud</source>
        <translation>Изговаря думата на глас</translation>
    </message>
    <message>
        <source>Add the word that was not found</source>
        <translation>Добавя думата, която не е намерена</translation>
    </message>
    <message>
        <source>There is no word to say.</source>
        <translation>Няма дума за изговаряне.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; not found</source>
        <translation>„%1“ не е намерена</translation>
    </message>
    <message>
        <source> — nearest: &quot;%1…&quot;</source>
        <translation> — най-близо: „%1…“</translation>
    </message>
    <message>
        <source>&amp;Add &quot;%1&quot;…</source>
        <translation>&amp;Добавяне на „%1“…</translation>
    </message>
    <message>
        <source>&amp;Speak</source>
        <translation>Из&amp;говаряне</translation>
    </message>
</context>
<context>
    <name>TSpeechEngine</name>
    <message>
        <source>The speech engine stopped on this text; it is started again for the next one.</source>
        <translation>Говорният модул спря на този текст; за следващия ще се стартира отново.</translation>
    </message>
    <message>
        <source>The speech data of espeak-ng could not be loaded.</source>
        <translation>Говорните данни на espeak-ng не могат да се заредят.</translation>
    </message>
    <message>
        <source>espeak-ng could not pronounce this text.</source>
        <translation>espeak-ng не може да произнесе този текст.</translation>
    </message>
</context>
<context>
    <name>TSpeechHelper</name>
    <message>
        <source>The speech engine could not be started: %1</source>
        <translation>Говорният модул не може да се стартира: %1</translation>
    </message>
</context>
<context>
    <name>TSpreadsheet</name>
    <message>
        <source>OpenDocument spreadsheet (.ods)</source>
        <translation>електронна таблица OpenDocument (.ods)</translation>
    </message>
    <message>
        <source>Excel workbook (.xlsx)</source>
        <translation>работна книга на Excel (.xlsx)</translation>
    </message>
    <message>
        <source>The file is not a readable %1: %2.</source>
        <translation>Файлът не е четима %1: %2.</translation>
    </message>
    <message>
        <source>The file is protected with a password. Save it without a password in the spreadsheet program and import it again.</source>
        <translation>Файлът е защитен с парола. Запишете го без парола в програмата за таблици и го внесете отново.</translation>
    </message>
    <message>
        <source>The file is protected with a password, or is an old Excel file (.xls). Save it as %1 without a password in the spreadsheet program and import it again.</source>
        <translation>Файлът е защитен с парола или е стар файл на Excel (.xls). Запишете го като %1 без парола в програмата за таблици и го внесете отново.</translation>
    </message>
    <message>
        <source>it is not a zip archive, or it is damaged</source>
        <translation>не е zip архив или е повреден</translation>
    </message>
    <message>
        <source>it has no part %1</source>
        <translation>липсва частта %1</translation>
    </message>
    <message>
        <source>its part %1 is damaged</source>
        <translation>частта %1 е повредена</translation>
    </message>
    <message>
        <source>The file unpacks to more than %1 MB, far more than a word list needs; it was not read.</source>
        <translation>Файлът се разархивира до повече от %1 MB, много повече, отколкото е нужно за списък с думи; не беше прочетен.</translation>
    </message>
    <message>
        <source>The spreadsheet file cannot be made (zip error %1).</source>
        <translation>Файлът с таблицата не може да бъде създаден (грешка на zip %1).</translation>
    </message>
    <message>
        <source>The sheet is too large to import: it has text past row %1, or more than %2 cells.</source>
        <translation>Листът е твърде голям за внасяне: има текст след ред %1 или повече от %2 клетки.</translation>
    </message>
    <message>
        <source>it declares a document type</source>
        <translation>декларира тип на документа</translation>
    </message>
    <message>
        <source>it ends too early</source>
        <translation>свършва твърде рано</translation>
    </message>
    <message>
        <source>its part %1, line %2: %3</source>
        <translation>частта %1, ред %2: %3</translation>
    </message>
    <message>
        <source>a cell holds more than %1 characters</source>
        <translation>клетка съдържа повече от %1 знака</translation>
    </message>
    <message>
        <source>it ends inside a cell</source>
        <translation>свършва по средата на клетка</translation>
    </message>
    <message>
        <source>it is an OpenDocument file of another kind</source>
        <translation>е файл OpenDocument от друг вид</translation>
    </message>
    <message>
        <source>it ends inside the sheet</source>
        <translation>свършва по средата на листа</translation>
    </message>
    <message>
        <source>it has no sheet</source>
        <translation>няма лист</translation>
    </message>
    <message>
        <source>it ends inside a text</source>
        <translation>свършва по средата на текст</translation>
    </message>
    <message>
        <source>a cell names text %1, which the shared strings do not hold</source>
        <translation>клетка сочи текст %1, който липсва в общите низове</translation>
    </message>
    <message>
        <source>%1 names no cell</source>
        <translation>%1 не е адрес на клетка</translation>
    </message>
</context>
<context>
    <name>TTrayControl</name>
    <message>
        <source>&amp;Start LM</source>
        <translation>Пу&amp;скане на бележките</translation>
    </message>
</context>
<context>
    <name>TVexloConnection</name>
    <message>
        <source>Cannot open the data file %1: %2</source>
        <translation>Файлът с данни %1 не може да се отвори: %2</translation>
    </message>
    <message>
        <source>No data file is given to open.</source>
        <translation>Не е зададен файл с данни за отваряне.</translation>
    </message>
    <message>
        <source>the file does not exist.</source>
        <translation>файлът не съществува.</translation>
    </message>
    <message>
        <source>it is a folder, not a vocabulary data file.</source>
        <translation>това е папка, а не файл с речник.</translation>
    </message>
    <message>
        <source>it is not a regular file (a pipe, a device or a socket), so it cannot be a vocabulary data file.</source>
        <translation>това не е обикновен файл (а канал, устройство или гнездо), затова не може да е файл с речник.</translation>
    </message>
    <message>
        <source>you have no permission to read it.</source>
        <translation>нямате право да го четете.</translation>
    </message>
    <message>
        <source>you have no permission to change it.</source>
        <translation>нямате право да го променяте.</translation>
    </message>
    <message>
        <source>its folder is not writable, so changes could not be saved safely.</source>
        <translation>в папката му не може да се записва, затова промените не биха се записали безопасно.</translation>
    </message>
    <message>
        <source>it is a Microsoft Access database; this program reads SQLite vocabulary files (create one with --create-empty).</source>
        <translation>това е база от данни на Microsoft Access; тази програма чете речници във файлове на SQLite (създайте такъв с --create-empty).</translation>
    </message>
    <message>
        <source>it is not a database file.</source>
        <translation>това не е файл с база от данни.</translation>
    </message>
    <message>
        <source>another program replaced it while it was being opened.</source>
        <translation>друга програма го замени, докато се отваряше.</translation>
    </message>
    <message>
        <source>out of memory.</source>
        <translation>няма достатъчно памет.</translation>
    </message>
    <message>
        <source>The file %1 is the dictionary open in this program (or a file the database keeps beside it); its words are already here.</source>
        <translation>Файлът %1 е речникът, отворен в тази програма (или файл, който базата от данни държи до него); думите му вече са тук.</translation>
    </message>
    <message>
        <source>Cannot read the data file</source>
        <translation>Файлът с данни не може да се прочете</translation>
    </message>
    <message>
        <source>The data file is not open.</source>
        <translation>Файлът с данни не е отворен.</translation>
    </message>
    <message>
        <source>the data file is not open</source>
        <translation>файлът с данни не е отворен</translation>
    </message>
    <message>
        <source>The data file refused a command</source>
        <translation>Файлът с данни отказа команда</translation>
    </message>
    <message>
        <source>Cannot start a change of the data file</source>
        <translation>Промяна на файла с данни не може да започне</translation>
    </message>
    <message>
        <source>Cannot save the change to the data file</source>
        <translation>Промяната не може да се запише във файла с данни</translation>
    </message>
</context>
<context>
    <name>TVexloQuery</name>
    <message>
        <source>The query has no connection.</source>
        <translation>Заявката няма връзка.</translation>
    </message>
    <message>
        <source>The data file refused a query</source>
        <translation>Файлът с данни отказа заявка</translation>
    </message>
    <message>
        <source>The query has no column %1.</source>
        <translation>Заявката няма колона %1.</translation>
    </message>
</context>
<context>
    <name>TVexloTable</name>
    <message>
        <source>The table must be closed before it changes its connection.</source>
        <translation>Таблицата трябва да е затворена, преди да смени връзката си.</translation>
    </message>
    <message>
        <source>The data file refused a statement</source>
        <translation>Файлът с данни отказа команда</translation>
    </message>
    <message>
        <source>The table has no connection.</source>
        <translation>Таблицата няма връзка.</translation>
    </message>
    <message>
        <source>Cannot read the data file</source>
        <translation>Файлът с данни не може да се прочете</translation>
    </message>
    <message>
        <source>The file %1 is not a vocabulary data file: it has no table %2.</source>
        <translation>Файлът %1 не е файл с речник: в него няма таблица %2.</translation>
    </message>
    <message>
        <source>The file %1 is not a vocabulary data file: table %2 has no column %3.</source>
        <translation>Файлът %1 не е файл с речник: таблицата %2 няма колона %3.</translation>
    </message>
    <message>
        <source>Cannot read the table</source>
        <translation>Таблицата не може да се прочете</translation>
    </message>
    <message>
        <source>Cannot read the table: %1.</source>
        <translation>Таблицата не може да се прочете: %1.</translation>
    </message>
    <message>
        <source>The table %1 is not open.</source>
        <translation>Таблицата %1 не е отворена.</translation>
    </message>
    <message>
        <source>Finish or cancel the change of the current entry first.</source>
        <translation>Първо завършете или откажете промяната на текущата дума.</translation>
    </message>
    <message>
        <source>The table has no field number %1.</source>
        <translation>Таблицата няма поле с номер %1.</translation>
    </message>
    <message>
        <source>The table has no field %1.</source>
        <translation>Таблицата няма поле %1.</translation>
    </message>
    <message>
        <source>Cannot read an entry</source>
        <translation>Запис не може да се прочете</translation>
    </message>
    <message>
        <source>The table is not being edited: field %1 cannot be set.</source>
        <translation>Таблицата не се редактира: полето %1 не може да се зададе.</translation>
    </message>
    <message>
        <source>The entry number %1 is not a 32-bit integer.</source>
        <translation>Номерът на записа %1 не е 32-битово цяло число.</translation>
    </message>
    <message>
        <source>The level %1 is not a number from 0 to 65535.</source>
        <translation>Нивото %1 не е число от 0 до 65535.</translation>
    </message>
    <message>
        <source>Finish or cancel the new entry first.</source>
        <translation>Първо завършете или откажете новата дума.</translation>
    </message>
    <message>
        <source>There is no entry to edit.</source>
        <translation>Няма дума за промяна.</translation>
    </message>
    <message>
        <source>%1: the data file holds %2 rows for this entry instead of one. Nothing was saved.</source>
        <translation>%1: файлът с данни съдържа %2 реда за тази дума вместо един. Нищо не е записано.</translation>
    </message>
    <message>
        <source>The English word</source>
        <translation>Английската дума</translation>
    </message>
    <message>
        <source>The Bulgarian text</source>
        <translation>Българският текст</translation>
    </message>
    <message>
        <source>The transcription</source>
        <translation>Транскрипцията</translation>
    </message>
    <message>
        <source>%1 has %2 characters, but at most %3 fit. Nothing was saved.</source>
        <translation>%1 има %2 знака, а се побират най-много %3. Нищо не е записано.</translation>
    </message>
    <message>
        <source>The data file refused the entry</source>
        <translation>Файлът с данни отказа записа</translation>
    </message>
    <message>
        <source>The entry could not be changed</source>
        <translation>Записът не може да се промени</translation>
    </message>
    <message>
        <source>Cannot save the change to the data file</source>
        <translation>Промяната не може да се запише във файла с данни</translation>
    </message>
    <message>
        <source>There is no entry to delete.</source>
        <translation>Няма дума за изтриване.</translation>
    </message>
    <message>
        <source>The data file refused to delete the entry</source>
        <translation>Файлът с данни отказа да изтрие записа</translation>
    </message>
    <message>
        <source>The entry could not be deleted</source>
        <translation>Записът не може да се изтрие</translation>
    </message>
    <message>
        <source>Cannot search the table</source>
        <translation>В таблицата не може да се търси</translation>
    </message>
</context>
<context>
    <name>VexloGraphics</name>
    <message>
        <source>Picture %1 is too large or has no size (%2 x %3)</source>
        <translation>Картината %1 е твърде голяма или няма размер (%2 x %3)</translation>
    </message>
    <message>
        <source>%1 is not a valid Windows bitmap file</source>
        <translation>%1 не е правилен файл Windows bitmap</translation>
    </message>
    <message>
        <source>Windows bitmap %1 is truncated (%2 of %3 bytes)</source>
        <translation>Картината Windows bitmap %1 е непълна (%2 от %3 байта)</translation>
    </message>
    <message>
        <source>%1 is not a valid Windows bitmap file: %2</source>
        <translation>%1 не е правилен файл Windows bitmap: %2</translation>
    </message>
    <message>
        <source>Cannot read Windows bitmap %1: %2</source>
        <translation>Картината Windows bitmap %1 не може да се прочете: %2</translation>
    </message>
    <message>
        <source>JPEG error in %1: %2</source>
        <translation>Грешка в JPEG файла %1: %2</translation>
    </message>
    <message>
        <source>Picture file %1 is not a regular file</source>
        <translation>Файлът с картина %1 не е обикновен файл</translation>
    </message>
    <message>
        <source>Cannot open picture file %1: %2</source>
        <translation>Файлът с картина %1 не може да се отвори: %2</translation>
    </message>
    <message>
        <source>Picture file %1 is too large</source>
        <translation>Файлът с картина %1 е твърде голям</translation>
    </message>
</context>
</TS>
