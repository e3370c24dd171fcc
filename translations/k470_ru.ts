<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>Language</name>
    <message>
        <source>English</source>
        <translation>Русский</translation>
    </message>
</context>
<context>
    <name>Lexicon</name>
    <message>
        <source>Windows-1252</source>
        <translation>Windows-1251</translation>
    </message>
    <message>
        <source>Can&apos;t open file</source>
        <translation>Не удалось открыть файл</translation>
    </message>
    <message>
        <source>Unknown file format</source>
        <translation>Неизвестный формат файла</translation>
    </message>
    <message>
        <source>Error in parameters</source>
        <translation>Ошибка в параметрах</translation>
    </message>
    <message>
        <source>Different file types: %s and %s</source>
        <translation>Разные типы файлов: %s и %s</translation>
    </message>
    <message>
        <source>No source data</source>
        <translation>Нет исходных данных</translation>
    </message>
    <message>
        <source>The sampling frequency of &apos;%s&apos; (%s Hz) cannot pace a replay</source>
        <translation>Частота дискретизации файла &apos;%s&apos; (%s Гц) не позволяет воспроизведение</translation>
    </message>
    <message>
        <source>The sampling frequency of &apos;%s&apos; (%s Hz) gives no usable WAV rate</source>
        <translation>Частота дискретизации файла &apos;%s&apos; (%s Гц) не даёт допустимой частоты WAV</translation>
    </message>
    <message>
        <source>&apos;%s&apos; holds no signal record</source>
        <translation>&apos;%s&apos; не содержит записей сигнала</translation>
    </message>
    <message>
        <source>Can&apos;t read the samples of a record of &apos;%s&apos;</source>
        <translation>Не удалось прочитать отсчёты записи файла &apos;%s&apos;</translation>
    </message>
    <message>
        <source>The samples of a record of &apos;%s&apos; lie beyond the end of the file</source>
        <translation>Отсчёты записи файла &apos;%s&apos; лежат за концом файла</translation>
    </message>
    <message>
        <source>The marker table of a record of &apos;%s&apos; lies outside the file</source>
        <translation>Таблица маркеров записи файла &apos;%s&apos; лежит вне файла</translation>
    </message>
    <message>
        <source>Marker %s of a record of &apos;%s&apos; points beyond the end of the file and is left out</source>
        <translation>Маркер %s записи файла &apos;%s&apos; указывает за конец файла и пропущен</translation>
    </message>
    <message>
        <source>The conversion was cancelled</source>
        <translation>Преобразование прервано</translation>
    </message>
    <message>
        <source>The reprocessing was cancelled</source>
        <translation>Обработка прервана</translation>
    </message>
    <message>
        <source>The calculation was cancelled</source>
        <translation>Расчёт прерван</translation>
    </message>
    <message>
        <source>No such channel</source>
        <translation>Нет такого канала</translation>
    </message>
    <message>
        <source>The filter library &apos;%s&apos; is cut short</source>
        <translation>Библиотека фильтров &apos;%s&apos; обрезана</translation>
    </message>
    <message>
        <source>The filter library &apos;%s&apos; claims %s filters, more than the file can hold</source>
        <translation>Библиотека фильтров &apos;%s&apos; заявляет %s фильтров, больше, чем помещается в файле</translation>
    </message>
    <message>
        <source>Filter %s of the filter library &apos;%s&apos; is cut short or has a count beyond the end of the file</source>
        <translation>Фильтр %s библиотеки фильтров &apos;%s&apos; обрезан или его размер выходит за конец файла</translation>
    </message>
    <message>
        <source>Filter %s of the filter library &apos;%s&apos; has a delay of %s samples, beyond the limit</source>
        <translation>Фильтр %s библиотеки фильтров &apos;%s&apos; имеет задержку %s отсчётов, больше допустимой</translation>
    </message>
    <message>
        <source>The preset file &apos;%s&apos; is cut short</source>
        <translation>Файл настроек обработки &apos;%s&apos; обрезан</translation>
    </message>
    <message>
        <source>The preset file &apos;%s&apos; holds %s of its %s presets</source>
        <translation>Файл настроек обработки &apos;%s&apos; содержит %s из %s настроек</translation>
    </message>
    <message>
        <source>The directory block at offset %s lies beyond the end of &apos;%s&apos;</source>
        <translation>Блок каталога по смещению %s лежит за концом файла &apos;%s&apos;</translation>
    </message>
    <message>
        <source>The directory block at offset %s of &apos;%s&apos; is cut short</source>
        <translation>Блок каталога по смещению %s файла &apos;%s&apos; обрезан</translation>
    </message>
    <message>
        <source>The directory block at offset %s of &apos;%s&apos; is damaged (no SDTA mark)</source>
        <translation>Блок каталога по смещению %s файла &apos;%s&apos; повреждён (нет метки SDTA)</translation>
    </message>
    <message>
        <source>The file &apos;%s&apos; has no entry %s</source>
        <translation>В файле &apos;%s&apos; нет записи %s</translation>
    </message>
    <message>
        <source>The directory chain of &apos;%s&apos; loops back to offset %s</source>
        <translation>Цепочка каталога файла &apos;%s&apos; возвращается к смещению %s</translation>
    </message>
    <message>
        <source>The directory chain of &apos;%s&apos; is longer than the file can hold</source>
        <translation>Цепочка каталога файла &apos;%s&apos; длиннее, чем помещается в файле</translation>
    </message>
    <message>
        <source>The record at offset %s cannot be read</source>
        <translation>Не удалось прочитать запись по смещению %s</translation>
    </message>
    <message>
        <source>Can&apos;t open the event %s: %s</source>
        <translation>Не удалось открыть событие %s: %s</translation>
    </message>
    <message>
        <source>Sampling rate %s Hz is not supported: it must lie between 8000 and 192000 Hz</source>
        <translation>Частота дискретизации %s Гц не поддерживается: она должна быть от 8000 до 192000 Гц</translation>
    </message>
    <message>
        <source>Record %s has no samples</source>
        <translation>В записи %s нет отсчётов</translation>
    </message>
    <message>
        <source>There is no channel %s: the file has %s</source>
        <translation>Канала %s нет: в файле %s</translation>
    </message>
    <message>
        <source>There is no record %s: the file has %s</source>
        <translation>Записи %s нет: в файле %s</translation>
    </message>
    <message>
        <source>Can&apos;t read sound file &apos;%s&apos;: %s</source>
        <translation>Не удаётся прочитать звуковой файл &apos;%s&apos;: %s</translation>
    </message>
    <message>
        <source>No single calibrator tone in &apos;%s&apos;: the rest of the signal is %s dB below its %s Hz band (10 dB or more are needed)</source>
        <translation>В &apos;%s&apos; нет единственного тона калибратора: остальной сигнал на %s дБ ниже его полосы %s Гц (нужно не менее 10 дБ)</translation>
    </message>
    <message>
        <source>The tone in &apos;%s&apos; is at %s Hz, not at the calibrator&apos;s %s Hz</source>
        <translation>Тон в &apos;%s&apos; имеет частоту %s Гц, а не %s Гц калибратора</translation>
    </message>
    <message>
        <source>The tone in &apos;%s&apos; is not steady: its level varied by %s dB (at most %s dB)</source>
        <translation>Тон в &apos;%s&apos; нестабилен: его уровень менялся на %s дБ (допустимо не более %s дБ)</translation>
    </message>
    <message>
        <source>Sample %s of record %s is not a finite number</source>
        <translation>Отсчёт %s записи %s не является конечным числом</translation>
    </message>
    <message>
        <source>Start %s s lies at or beyond the end of record %s (%s s)</source>
        <translation>Начало %s с лежит в конце записи %s (%s с) или за ним</translation>
    </message>
    <message>
        <source>Length %s s from %s s reaches beyond the end of record %s (%s s)</source>
        <translation>Длительность %s с от %s с выходит за конец записи %s (%s с)</translation>
    </message>
    <message>
        <source>The file has no physical scale: levels are in dB re full scale (give --scale or --calibration)</source>
        <translation>У файла нет физического масштаба: уровни в дБ относительно полной шкалы (задайте --scale или --calibration)</translation>
    </message>
    <message>
        <source>Channel unit &apos;%s&apos; is not Pa: only Z-weighted levels are given, A and C are left at 0</source>
        <translation>Единица канала &apos;%s&apos; не Pa: даются только уровни Z, A и C оставлены равными 0</translation>
    </message>
    <message>
        <source>Bands from %s Hz on lie above half the sampling rate and are left empty</source>
        <translation>Полосы от %s Гц лежат выше половины частоты дискретизации и оставлены пустыми</translation>
    </message>
    <message>
        <source>Sampling rate %s Hz is not supported for %s: it must lie between %s and %s Hz</source>
        <translation>Частота дискретизации %s Гц не поддерживается для %s: она должна лежать между %s и %s Гц</translation>
    </message>
    <message>
        <source>Channel %s is in &apos;%s&apos;, not an acceleration (m/s^2): give --scale to take its values as m/s^2</source>
        <translation>Канал %s задан в &apos;%s&apos;, а не в единицах ускорения (m/s^2): задайте --scale, чтобы считать его значения в m/s^2</translation>
    </message>
    <message>
        <source>Cancelled</source>
        <translation>Отменено</translation>
    </message>
    <message>
        <source>Can&apos;t write file</source>
        <translation>Не удаётся записать файл</translation>
    </message>
    <message>
        <source>The output file is one of the input files</source>
        <translation>Выходной файл совпадает с одним из входных файлов</translation>
    </message>
    <message>
        <source>Can&apos;t found tele adapter</source>
        <translation>Не найден телеметрический адаптер</translation>
    </message>
    <message>
        <source>Can&apos;t found device</source>
        <translation>Не найден прибор</translation>
    </message>
    <message>
        <source>The instrument closed the connection</source>
        <translation>Прибор закрыл соединение</translation>
    </message>
    <message>
        <source>autorecording</source>
        <translation>авторегистрация</translation>
    </message>
    <message>
        <source>Stop autorecording?</source>
        <translation>Остановить авторегистрацию?</translation>
    </message>
    <message>
        <source>Data tele</source>
        <translation>Данные (телеметрия)</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Дата</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Время</translation>
    </message>
    <message>
        <source>Interval</source>
        <translation>Интервал</translation>
    </message>
    <message>
        <source>Range</source>
        <translation>Диапазон</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>Запись</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Файл</translation>
    </message>
    <message>
        <source>Filename</source>
        <translation>Имя файла</translation>
    </message>
    <message>
        <source>Octave</source>
        <translation>Октава</translation>
    </message>
    <message>
        <source>1/1 octaves</source>
        <translation>1/1 октавы</translation>
    </message>
    <message>
        <source>1/3 octaves</source>
        <translation>1/3 октавы</translation>
    </message>
    <message>
        <source>Weighted levels</source>
        <translation>Корректированные уровни</translation>
    </message>
    <message>
        <source>Bands</source>
        <translation>Полосы</translation>
    </message>
    <message>
        <source>no overflow</source>
        <translation>нет перегрузки</translation>
    </message>
    <message>
        <source>OVERLOUD</source>
        <translation>ПЕРЕГРУЗКА</translation>
    </message>
    <message>
        <source>current overflow</source>
        <translation>текущая перегрузка</translation>
    </message>
    <message>
        <source>UNDERRANGE</source>
        <translation>НИЖЕ ДИАПАЗОНА</translation>
    </message>
    <message>
        <source>calibration offset</source>
        <translation>калибровочная поправка</translation>
    </message>
    <message>
        <source>channel</source>
        <translation>канал</translation>
    </message>
    <message>
        <source>1s rms</source>
        <translation>1с скз</translation>
    </message>
    <message>
        <source>1s min</source>
        <translation>1с мин</translation>
    </message>
    <message>
        <source>1s max</source>
        <translation>1с макс</translation>
    </message>
    <message>
        <source>1s peak</source>
        <translation>1с пик</translation>
    </message>
    <message>
        <source>5s rms</source>
        <translation>5с скз</translation>
    </message>
    <message>
        <source>5s min</source>
        <translation>5с мин</translation>
    </message>
    <message>
        <source>5s max</source>
        <translation>5с макс</translation>
    </message>
    <message>
        <source>5s peak</source>
        <translation>5с пик</translation>
    </message>
    <message>
        <source>10s rms</source>
        <translation>10с скз</translation>
    </message>
    <message>
        <source>10s min</source>
        <translation>10с мин</translation>
    </message>
    <message>
        <source>10s max</source>
        <translation>10с макс</translation>
    </message>
    <message>
        <source>10s peak</source>
        <translation>10с пик</translation>
    </message>
    <message>
        <source>Leq</source>
        <translation>Leq</translation>
    </message>
    <message>
        <source>Pk</source>
        <translation>Pk</translation>
    </message>
    <message>
        <source>Unknown type</source>
        <translation>Неизвестный тип</translation>
    </message>
    <message>
        <source>Three-channel whole-body vibration meter</source>
        <translation>Трёхканальный измеритель общей вибрации</translation>
    </message>
    <message>
        <source>Three-channel hand-arm vibration meter</source>
        <translation>Трёхканальный измеритель локальной вибрации</translation>
    </message>
    <message>
        <source>Sound level and spectrum meter</source>
        <translation>Шумомер-анализатор спектра</translation>
    </message>
    <message>
        <source>Whole-body vibration meter</source>
        <translation>Измеритель общей вибрации</translation>
    </message>
    <message>
        <source>Hand-arm vibration meter</source>
        <translation>Измеритель локальной вибрации</translation>
    </message>
    <message>
        <source>Infrasound meter</source>
        <translation>Измеритель инфразвука</translation>
    </message>
    <message>
        <source>Ultrasound meter</source>
        <translation>Измеритель ультразвука</translation>
    </message>
    <message>
        <source>Sound level and spectrum meter, second series</source>
        <translation>Шумомер-анализатор спектра, вторая серия</translation>
    </message>
    <message>
        <source>Whole-body vibration meter, second series</source>
        <translation>Измеритель общей вибрации, вторая серия</translation>
    </message>
    <message>
        <source>Hand-arm vibration meter, second series</source>
        <translation>Измеритель локальной вибрации, вторая серия</translation>
    </message>
    <message>
        <source>Infrasound meter, second series</source>
        <translation>Измеритель инфразвука, вторая серия</translation>
    </message>
    <message>
        <source>Ultrasound meter, second series</source>
        <translation>Измеритель ультразвука, вторая серия</translation>
    </message>
    <message>
        <source>Sound level and spectrum meter, third series</source>
        <translation>Шумомер-анализатор спектра, третья серия</translation>
    </message>
    <message>
        <source>Noise meter A</source>
        <translation>Шумомер A</translation>
    </message>
    <message>
        <source>Noise meter B</source>
        <translation>Шумомер B</translation>
    </message>
    <message>
        <source>Speed meter</source>
        <translation>Измеритель скорости</translation>
    </message>
    <message>
        <source>Noise exposure meter</source>
        <translation>Дозиметр шума</translation>
    </message>
    <message>
        <source>Vibration exposure meter</source>
        <translation>Дозиметр вибрации</translation>
    </message>
    <message>
        <source>Compact noise meter</source>
        <translation>Компактный шумомер</translation>
    </message>
    <message>
        <source>Compact vibration meter</source>
        <translation>Компактный виброметр</translation>
    </message>
    <message>
        <source>Sound level meter with sensor input</source>
        <translation>Шумомер с входом датчика</translation>
    </message>
    <message>
        <source>Electric field meter</source>
        <translation>Измеритель электрического поля</translation>
    </message>
    <message>
        <source>Magnetic field meter</source>
        <translation>Измеритель магнитного поля</translation>
    </message>
    <message>
        <source>Two-channel meter</source>
        <translation>Двухканальный измеритель</translation>
    </message>
    <message>
        <source>Position logger</source>
        <translation>Регистратор положения</translation>
    </message>
    <message>
        <source>Pulse source</source>
        <translation>Источник импульсов</translation>
    </message>
    <message>
        <source>The FFT size must be a power of two from 256 to 65536, not %s</source>
        <translation>Размер БПФ должен быть степенью двойки от 256 до 65536, а не %s</translation>
    </message>
    <message>
        <source>The overlap must be from 0 to 90 %, not %s</source>
        <translation>Перекрытие должно быть от 0 до 90 %, а не %s</translation>
    </message>
    <message>
        <source>The FFT size %s is larger than the signal (%s samples)</source>
        <translation>Размер БПФ %s больше длины сигнала (%s отсчётов)</translation>
    </message>
    <message>
        <source>Sample %s of the signal is not a finite number</source>
        <translation>Отсчёт %s сигнала не является конечным числом</translation>
    </message>
    <message>
        <source>The signal is silent: every sample is zero</source>
        <translation>Сигнал нулевой: все отсчёты равны нулю</translation>
    </message>
    <message>
        <source>band above half the sampling rate</source>
        <translation>полоса выше половины частоты дискретизации</translation>
    </message>
    <message>
        <source>no signal</source>
        <translation>нет сигнала</translation>
    </message>
    <message>
        <source>no decay above the noise</source>
        <translation>нет спада выше уровня шума</translation>
    </message>
    <message>
        <source>dynamic range %s dB</source>
        <translation>динамический диапазон %s дБ</translation>
    </message>
    <message>
        <source>%s needs %s dB</source>
        <translation>для %s нужно %s дБ</translation>
    </message>
    <message>
        <source>%s: the decay curve ends above %s dB</source>
        <translation>%s: кривая спада заканчивается выше %s дБ</translation>
    </message>
    <message>
        <source>Reverberation time is analysed on at most %s s of signal; this range holds %s s: choose a shorter one</source>
        <translation>Время реверберации анализируется не более чем по %s с сигнала; этот участок длится %s с: выберите участок короче</translation>
    </message>
    <message>
        <source>A recording is already running into &apos;%s&apos;</source>
        <translation>Запись в &apos;%s&apos; уже идёт</translation>
    </message>
    <message>
        <source>No output channel is switched on: there is nothing to record</source>
        <translation>Не включён ни один выходной канал: записывать нечего</translation>
    </message>
    <message>
        <source>Not recording</source>
        <translation>Запись не идёт</translation>
    </message>
    <message>
        <source>Recording stopped: %s. The file &apos;%s&apos; keeps the %s frames recorded before.</source>
        <translation>Запись остановлена: %s. Файл &apos;%s&apos; сохраняет %s кадров, записанных до этого.</translation>
    </message>
    <message>
        <source>the disk is full</source>
        <translation>диск заполнен</translation>
    </message>
    <message>
        <source>the file has reached the largest size allowed</source>
        <translation>файл достиг наибольшего допустимого размера</translation>
    </message>
    <message>
        <source>The instrument stopped sending: the recording ends with the %s frames that arrived</source>
        <translation>Прибор прекратил передачу: в записи остаются %s полученных кадров</translation>
    </message>
    <message>
        <source>%s frames of the instrument&apos;s stream were lost: the PC did not take them in time</source>
        <translation>Потеряно кадров потока прибора: %s, компьютер не принял их вовремя</translation>
    </message>
    <message>
        <source>Sample %s of record %s lies more than %s dB above the 0 dB reference</source>
        <translation>Отсчёт %s записи %s превышает опорное значение 0 дБ более чем на %s дБ</translation>
    </message>
    <message>
        <source>The 0 dB reference %s of channel %s is not between %s and %s</source>
        <translation>Опорное значение 0 дБ %s канала %s лежит вне диапазона от %s до %s</translation>
    </message>
    <message>
        <source>Calibrator level %s dB is not between %s and %s dB</source>
        <translation>Уровень калибратора %s дБ лежит вне диапазона от %s до %s дБ</translation>
    </message>
    <message>
        <source>Some levels lie below 0 dB or above 255.99 dB: a record stores them at those limits and flags them as under-range or overload</source>
        <translation>Некоторые уровни ниже 0 дБ или выше 255.99 дБ: запись хранит их на этих границах и помечает как ниже диапазона или перегрузку</translation>
    </message>
    <message>
        <source>Scale &apos;%s&apos; is not a number between %s and %s</source>
        <translation>Масштаб &apos;%s&apos; лежит вне диапазона от %s до %s</translation>
    </message>
    <message>
        <source>Recording stopped: %s. The file &apos;%s&apos; now holds the %s frames recorded before, in place of the earlier file.</source>
        <translation>Запись остановлена: %s. Файл &apos;%s&apos; теперь содержит %s кадров, записанных до этого, вместо прежнего файла.</translation>
    </message>
    <message>
        <source>Recording stopped: %s. No frame had been recorded: no file was made.</source>
        <translation>Запись остановлена: %s. Не было записано ни одного кадра: файл не создан.</translation>
    </message>
    <message>
        <source>Recording stopped: %s. No frame had been recorded: the file &apos;%s&apos; is as it was.</source>
        <translation>Запись остановлена: %s. Не было записано ни одного кадра: файл &apos;%s&apos; остался прежним.</translation>
    </message>
    <message>
        <source>Recording stopped: %s. The %s frames recorded before are in &apos;%s&apos;; the file &apos;%s&apos; is as it was.</source>
        <translation>Запись остановлена: %s. %s кадров, записанных до этого, находятся в &apos;%s&apos;; файл &apos;%s&apos; остался прежним.</translation>
    </message>
    <message>
        <source>The recording is kept in &apos;%s&apos;.</source>
        <translation>Запись сохранена в &apos;%s&apos;.</translation>
    </message>
    <message>
        <source>A recording needs a file on disk, not a device, a pipe or standard output: &apos;%s&apos;</source>
        <translation>Для записи нужен файл на диске, а не устройство, канал или стандартный вывод: &apos;%s&apos;</translation>
    </message>
    <message>
        <source>The file &apos;%s&apos; exists: the recording grows in &apos;%s&apos; and replaces it when it ends</source>
        <translation>Файл &apos;%s&apos; существует: запись ведётся в &apos;%s&apos; и заменит его по окончании</translation>
    </message>
</context>
<context>
    <name>LineChart</name>
    <message>
        <source>Picture saved to %1</source>
        <translation>Рисунок сохранён в %1</translation>
    </message>
    <message>
        <source>Set cursors to origin</source>
        <translation>Курсоры в начало</translation>
    </message>
    <message>
        <source>Save picture</source>
        <translation>Сохранить рисунок</translation>
    </message>
    <message>
        <source>Save text</source>
        <translation>Сохранить текст</translation>
    </message>
    <message>
        <source>curve %1</source>
        <translation>кривая %1</translation>
    </message>
    <message>
        <source>Chart</source>
        <translation>График</translation>
    </message>
    <message>
        <source>SVG pictures (*.svg);;PNG pictures (*.png);;All files (*)</source>
        <translation>Рисунки SVG (*.svg);;Рисунки PNG (*.png);;Все файлы (*)</translation>
    </message>
    <message>
        <source>Text files (*.txt);;All files (*)</source>
        <translation>Текстовые файлы (*.txt);;Все файлы (*)</translation>
    </message>
</context>
<context>
    <name>ReportDocument</name>
    <message>
        <source>Measurement report</source>
        <translation>Отчёт об измерениях</translation>
    </message>
    <message>
        <source>Page %1 of %2</source>
        <translation>Страница %1 из %2</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Файлы</translation>
    </message>
    <message>
        <source>Instrument</source>
        <translation>Прибор</translation>
    </message>
    <message>
        <source>VIN</source>
        <translation>VIN</translation>
    </message>
    <message>
        <source>Period</source>
        <translation>Период</translation>
    </message>
    <message>
        <source>Records</source>
        <translation>Записи</translation>
    </message>
    <message>
        <source>Operator</source>
        <translation>Оператор</translation>
    </message>
    <message>
        <source>Project</source>
        <translation>Проект</translation>
    </message>
    <message>
        <source>LAeq (energy average)</source>
        <translation>LAeq (энергетическое среднее)</translation>
    </message>
    <message>
        <source>LAFmax</source>
        <translation>LAFmax</translation>
    </message>
    <message>
        <source>LCpeak</source>
        <translation>LCpeak</translation>
    </message>
    <message>
        <source>%1: energy average</source>
        <translation>%1: энергетическое среднее</translation>
    </message>
    <message>
        <source>%1: minimum</source>
        <translation>%1: минимум</translation>
    </message>
    <message>
        <source>%1: maximum</source>
        <translation>%1: максимум</translation>
    </message>
    <message>
        <source>%1: L%2</source>
        <translation>%1: L%2</translation>
    </message>
    <message>
        <source>Summary</source>
        <translation>Сводка</translation>
    </message>
    <message>
        <source>Time history: %1</source>
        <translation>Изменение во времени: %1</translation>
    </message>
    <message>
        <source>Spectrum</source>
        <translation>Спектр</translation>
    </message>
    <message>
        <source>Spectrum: %1, %2, energy average over the records</source>
        <translation>Спектр: %1, %2, энергетическое среднее по записям</translation>
    </message>
    <message>
        <source>Distribution: %1</source>
        <translation>Распределение: %1</translation>
    </message>
    <message>
        <source>Time of day</source>
        <translation>Время суток</translation>
    </message>
    <message>
        <source>T[sec]</source>
        <translation>T[с]</translation>
    </message>
    <message>
        <source>L[dB]</source>
        <translation>L[дБ]</translation>
    </message>
    <message>
        <source>f[Hz]</source>
        <translation>f[Гц]</translation>
    </message>
    <message>
        <source>L[dB], classes of %1 dB</source>
        <translation>L[дБ], интервалы по %1 дБ</translation>
    </message>
    <message>
        <source>Records [%]</source>
        <translation>Записи [%]</translation>
    </message>
</context>
<context>
    <name>ScrollZoomBar</name>
    <message>
        <source>Small shift left</source>
        <translation>Малый сдвиг влево</translation>
    </message>
    <message>
        <source>Small shift right</source>
        <translation>Малый сдвиг вправо</translation>
    </message>
    <message>
        <source>Shift left</source>
        <translation>Сдвиг влево</translation>
    </message>
    <message>
        <source>Shift right</source>
        <translation>Сдвиг вправо</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>Увеличить</translation>
    </message>
    <message>
        <source>Zoom into hole</source>
        <translation>Увеличить между курсорами</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>Уменьшить</translation>
    </message>
    <message>
        <source>Zoom to full scale</source>
        <translation>Показать всё</translation>
    </message>
</context>
<context>
    <name>StreamRecordingCommands</name>
    <message>
        <source>Signal files (%1)</source>
        <translation>Файлы сигнала (%1)</translation>
    </message>
    <message>
        <source>Start recording</source>
        <translation>Начать запись</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Все файлы (*)</translation>
    </message>
    <message>
        <source>Set marker</source>
        <translation>Поставить метку</translation>
    </message>
    <message>
        <source>All %1 markers of this record are used. Close the record and go on recording into a new one that starts with this marker?</source>
        <translation>Использованы все метки этой записи (%1). Закрыть запись и продолжить в новой, которая начнётся с этой метки?</translation>
    </message>
    <message>
        <source>Marker name:</source>
        <translation>Имя метки:</translation>
    </message>
    <message>
        <source>Marker %1</source>
        <translation>Метка %1</translation>
    </message>
    <message>
        <source>The signal stopped: the recording ends. &apos;%1&apos; holds the %2 frames recorded.</source>
        <translation>Сигнал прекратился: запись завершена. &apos;%1&apos; содержит %2 записанных кадров.</translation>
    </message>
    <message>
        <source>Stop recording the signal into &apos;%1&apos;?</source>
        <translation>Остановить запись сигнала в &apos;%1&apos;?</translation>
    </message>
    <message>
        <source>Recording %1 into &apos;%2&apos;</source>
        <translation>Запись %1 в &apos;%2&apos;</translation>
    </message>
    <message>
        <source>Recording %1 into &apos;%2&apos; (it replaces &apos;%3&apos; when it ends)</source>
        <translation>Запись %1 в &apos;%2&apos; (по окончании заменит &apos;%3&apos;)</translation>
    </message>
</context>
<context>
    <name>k470::app::BoundsDialog</name>
    <message>
        <source>Enter bounds</source>
        <translation>Введите границы</translation>
    </message>
    <message>
        <source>Lower limit</source>
        <translation>Нижняя граница</translation>
    </message>
    <message>
        <source>Upper limit</source>
        <translation>Верхняя граница</translation>
    </message>
    <message>
        <source>The lower limit (%1) must be below the upper limit (%2).</source>
        <translation>Нижняя граница (%1) должна быть меньше верхней (%2).</translation>
    </message>
</context>
<context>
    <name>k470::app::CalibrationDialog</name>
    <message>
        <source>Calibrate</source>
        <translation>Калибровка</translation>
    </message>
    <message>
        <source> dB</source>
        <translation> дБ</translation>
    </message>
    <message>
        <source>Calibrator level:</source>
        <translation>Уровень калибратора:</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Пуск</translation>
    </message>
    <message>
        <source>Put the acoustic calibrator on the microphone, switch it on and press &quot;Start&quot;.
The tone&apos;s band is measured for %1 seconds; nothing changes before &quot;Apply&quot;.</source>
        <translation>Установите акустический калибратор на микрофон, включите его и нажмите &quot;Старт&quot;.
Полоса тона измеряется %1 секунд; до &quot;Применить&quot; ничего не меняется.</translation>
    </message>
    <message>
        <source>A calibrator of %1 dB</source>
        <translation>Калибратор %1 дБ</translation>
    </message>
    <message>
        <source>1 kHz (sound calibrator)</source>
        <translation>1 кГц (акустический калибратор)</translation>
    </message>
    <message>
        <source>250 Hz (pistonphone)</source>
        <translation>250 Гц (пистонфон)</translation>
    </message>
    <message>
        <source>Tone:</source>
        <translation>Тон:</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Применить</translation>
    </message>
    <message>
        <source>Tone band: %1 %2
Broadband: %3 %2
Tone: %4 Hz, steady within %5 dB
Sensitivity: %6 now, %7 after (%8 dB)</source>
        <translation>Полоса тона: %1 %2
Широкополосный: %3 %2
Тон: %4 Гц, стабилен в пределах %5 дБ
Чувствительность: %6 сейчас, %7 после (%8 дБ)</translation>
    </message>
    <message>
        <source>Not applied: %1</source>
        <translation>Не применено: %1</translation>
    </message>
</context>
<context>
    <name>k470::app::DataFileSession</name>
    <message>
        <source>Records: %1</source>
        <translation>Записей: %1</translation>
    </message>
    <message>
        <source>Enter record position</source>
        <translation>Введите номер записи</translation>
    </message>
    <message>
        <source>Record position</source>
        <translation>Номер записи</translation>
    </message>
    <message>
        <source>Text files (*.txt)</source>
        <translation>Текстовые файлы (*.txt)</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Все файлы (*)</translation>
    </message>
    <message>
        <source>Binary files (*.bin)</source>
        <translation>Двоичные файлы (*.bin)</translation>
    </message>
    <message>
        <source>Save as text</source>
        <translation>Сохранить как текст</translation>
    </message>
    <message>
        <source>Save as binary</source>
        <translation>Сохранить в двоичном виде</translation>
    </message>
</context>
<context>
    <name>k470::app::FftPage</name>
    <message>
        <source>FFT size: samples per transform</source>
        <translation>Размер БПФ: число отсчётов в преобразовании</translation>
    </message>
    <message>
        <source>Window</source>
        <translation>Окно</translation>
    </message>
    <message>
        <source>Rectangular</source>
        <translation>Прямоугольное</translation>
    </message>
    <message>
        <source>Hann</source>
        <translation>Ханна</translation>
    </message>
    <message>
        <source>Flat top</source>
        <translation>С плоской вершиной</translation>
    </message>
    <message>
        <source>Blackman-Harris</source>
        <translation>Блэкмана-Харриса</translation>
    </message>
    <message>
        <source>Overlap of successive transforms</source>
        <translation>Перекрытие соседних преобразований</translation>
    </message>
    <message>
        <source>%1 % overlap</source>
        <translation>Перекрытие %1 %</translation>
    </message>
    <message>
        <source>Averaging</source>
        <translation>Усреднение</translation>
    </message>
    <message>
        <source>Linear</source>
        <translation>Линейное</translation>
    </message>
    <message>
        <source>Exponential</source>
        <translation>Экспоненциальное</translation>
    </message>
    <message>
        <source>Max hold</source>
        <translation>Удержание максимума</translation>
    </message>
    <message>
        <source>Log frequency</source>
        <translation>Лог. частота</translation>
    </message>
    <message>
        <source>Logarithmic frequency axis</source>
        <translation>Логарифмическая ось частот</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Сброс</translation>
    </message>
    <message>
        <source>Start the average again</source>
        <translation>Начать усреднение заново</translation>
    </message>
    <message>
        <source>f [Hz]</source>
        <translation>f [Гц]</translation>
    </message>
    <message>
        <source>L [dB]</source>
        <translation>L [дБ]</translation>
    </message>
    <message>
        <source>No signal</source>
        <translation>Нет сигнала</translation>
    </message>
    <message>
        <source>Peak: -</source>
        <translation>Пик: -</translation>
    </message>
    <message>
        <source>Peak: %1 Hz, %2 dB</source>
        <translation>Пик: %1 Гц, %2 дБ</translation>
    </message>
    <message>
        <source>Cursor: %1 Hz, %2 dB</source>
        <translation>Курсор: %1 Гц, %2 дБ</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Копировать</translation>
    </message>
    <message>
        <source>Copy the averaged spectrum as CSV (as k470-cli fft)</source>
        <translation>Копировать усреднённый спектр как CSV (как k470-cli fft)</translation>
    </message>
    <message>
        <source>ch%1 L [%2]</source>
        <translation>кан%1 L [%2]</translation>
    </message>
</context>
<context>
    <name>k470::app::GlobalCommands</name>
    <message>
        <source>Text files (*.txt)</source>
        <translation>Текстовые файлы (*.txt)</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Все файлы (*)</translation>
    </message>
    <message>
        <source>Binary files (*.bin)</source>
        <translation>Двоичные файлы (*.bin)</translation>
    </message>
    <message>
        <source>Translate .bin to .txt</source>
        <translation>Перевести .bin в .txt</translation>
    </message>
    <message>
        <source>Save as text</source>
        <translation>Сохранить как текст</translation>
    </message>
    <message>
        <source>Translating...</source>
        <translation>Перевод...</translation>
    </message>
    <message>
        <source>Merge to one .txt</source>
        <translation>Объединить в один .txt</translation>
    </message>
    <message>
        <source>Merging...</source>
        <translation>Объединение...</translation>
    </message>
    <message>
        <source>Translate .sdt to .wav</source>
        <translation>Перевести .sdt в .wav</translation>
    </message>
    <message>
        <source>Translate .sdt to .txt</source>
        <translation>Перевести .sdt в .txt</translation>
    </message>
    <message>
        <source>Data files (*.sdt)</source>
        <translation>Файлы данных (*.sdt)</translation>
    </message>
    <message>
        <source>Calc percentiles</source>
        <translation>Вычислить процентили</translation>
    </message>
    <message>
        <source>Make report</source>
        <translation>Создать отчёт</translation>
    </message>
    <message>
        <source>Making report...</source>
        <translation>Создание отчёта...</translation>
    </message>
    <message>
        <source>Select new language</source>
        <translation>Выбор нового языка</translation>
    </message>
    <message>
        <source>After selecting new language program will be closed.
Continue?</source>
        <translation>После выбора нового языка программа будет закрыта.
Продолжить?</translation>
    </message>
</context>
<context>
    <name>k470::app::InstrumentSession</name>
    <message>
        <source>Instrument</source>
        <translation>Прибор</translation>
    </message>
    <message>
        <source>No data source</source>
        <translation>Нет источника данных</translation>
    </message>
    <message>
        <source>Save as binary</source>
        <translation>Сохранить в двоичном виде</translation>
    </message>
    <message>
        <source>Binary files (*.bin)</source>
        <translation>Двоичные файлы (*.bin)</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Все файлы (*)</translation>
    </message>
    <message>
        <source>Start recording</source>
        <translation>Начать запись</translation>
    </message>
    <message>
        <source>Enter calibration offset</source>
        <translation>Введите калибровочную поправку</translation>
    </message>
    <message>
        <source>dB</source>
        <translation>дБ</translation>
    </message>
</context>
<context>
    <name>k470::app::LanguageDialog</name>
    <message>
        <source>Select language</source>
        <translation>Выбор языка</translation>
    </message>
</context>
<context>
    <name>k470::app::LevelsPage</name>
    <message>
        <source>1/3 octave LZeq</source>
        <translation>LZeq в 1/3-октавных полосах</translation>
    </message>
    <message>
        <source>Freq band [Hz] </source>
        <translation>Полоса частот [Гц] </translation>
    </message>
    <message>
        <source>Level [dB]</source>
        <translation>Уровень [дБ]</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Сброс</translation>
    </message>
    <message>
        <source>Make level records...</source>
        <translation>Создать записи уровней...</translation>
    </message>
    <message>
        <source>Calibrate...</source>
        <translation>Калибровка...</translation>
    </message>
    <message>
        <source> dB</source>
        <translation> дБ</translation>
    </message>
    <message>
        <source>Make level records</source>
        <translation>Создать записи уровней</translation>
    </message>
    <message>
        <source>Binary files (*.bin)</source>
        <translation>Двоичные файлы (*.bin)</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Все файлы (*)</translation>
    </message>
    <message>
        <source>Making level records...</source>
        <translation>Создание записей уровней...</translation>
    </message>
    <message>
        <source>Not calibrated</source>
        <translation>Калибровка не выполнена</translation>
    </message>
    <message>
        <source>Calibrated %1 at %2 dB</source>
        <translation>Калибровка %1 при %2 дБ</translation>
    </message>
    <message>
        <source>, change %1 dB</source>
        <translation>, изменение %1 дБ</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Копировать</translation>
    </message>
    <message>
        <source>Copy the levels since the start as CSV (as k470-cli levels --csv --interval 0)</source>
        <translation>Копировать уровни с начала как CSV (как k470-cli levels --csv --interval 0)</translation>
    </message>
    <message>
        <source>Levels in %1</source>
        <translation>Уровни в %1</translation>
    </message>
    <message>
        <source>; channel unit &apos;%1&apos; is not Pa: only Z-weighted levels</source>
        <translation>; единица канала &apos;%1&apos; не Па: только уровни с коррекцией Z</translation>
    </message>
    <message>
        <source>Calibrate</source>
        <translation>Калибровка</translation>
    </message>
    <message>
        <source>The sensitivity changes by %1 dB. A change this large is more often a wrong calibrator level, tone or channel than a drifted microphone. Apply it?</source>
        <translation>Чувствительность меняется на %1 дБ. Столь большое изменение чаще означает неверный уровень калибратора, тон или канал, чем уход микрофона. Применить?</translation>
    </message>
</context>
<context>
    <name>k470::app::MainWindow</name>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Открыть</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Все файлы (*)</translation>
    </message>
    <message>
        <source>Marker</source>
        <translation>Метка</translation>
    </message>
    <message>
        <source>About K470</source>
        <translation>О программе K470</translation>
    </message>
    <message>
        <source>&lt;b&gt;K470&lt;/b&gt; version %1</source>
        <translation>&lt;b&gt;K470&lt;/b&gt; версия %1</translation>
    </message>
    <message>
        <source>Utility for sound level, vibration, infrasound, ultrasound and field meters: live data, device data files, text export and signal replay.</source>
        <translation>Программа для шумомеров, виброметров, измерителей инфразвука, ультразвука и полей: данные в реальном времени, файлы прибора, экспорт в текст и воспроизведение сигналов.</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Файл</translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation>&amp;Открыть...</translation>
    </message>
    <message>
        <source>Save as &amp;binary...</source>
        <translation>Сохранить как &amp;двоичный...</translation>
    </message>
    <message>
        <source>Save as &amp;text...</source>
        <translation>Сохранить как &amp;текст...</translation>
    </message>
    <message>
        <source>Translate .bin to .txt...</source>
        <translation>Перевести .bin в .txt...</translation>
    </message>
    <message>
        <source>Merge to one .txt...</source>
        <translation>Объединить в один .txt...</translation>
    </message>
    <message>
        <source>Make report...</source>
        <translation>Создать отчёт...</translation>
    </message>
    <message>
        <source>Calc percentiles...</source>
        <translation>Вычислить процентили...</translation>
    </message>
    <message>
        <source>Translate .sdt to .txt...</source>
        <translation>Перевести .sdt в .txt...</translation>
    </message>
    <message>
        <source>Translate .sdt to .wav...</source>
        <translation>Перевести .sdt в .wav...</translation>
    </message>
    <message>
        <source>Tele parameters...</source>
        <translation>Параметры телеметрии...</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Выход</translation>
    </message>
    <message>
        <source>&amp;Acquisition</source>
        <translation>&amp;Измерение</translation>
    </message>
    <message>
        <source>&amp;Data</source>
        <translation>&amp;Данные</translation>
    </message>
    <message>
        <source>Signal</source>
        <translation>Сигнал</translation>
    </message>
    <message>
        <source>FFT</source>
        <translation>БПФ</translation>
    </message>
    <message>
        <source>RT-60</source>
        <translation>RT-60</translation>
    </message>
    <message>
        <source>Signal filtration...</source>
        <translation>Фильтрация сигнала...</translation>
    </message>
    <message>
        <source>Misc...</source>
        <translation>Разное...</translation>
    </message>
    <message>
        <source>&amp;Operation</source>
        <translation>&amp;Управление</translation>
    </message>
    <message>
        <source>Start/stop</source>
        <translation>Пуск/стоп</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Сброс</translation>
    </message>
    <message>
        <source>Start recording...</source>
        <translation>Начать запись...</translation>
    </message>
    <message>
        <source>Stop recording</source>
        <translation>Остановить запись</translation>
    </message>
    <message>
        <source>Set marker</source>
        <translation>Поставить метку</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Справка</translation>
    </message>
    <message>
        <source>&amp;About K470...</source>
        <translation>&amp;О программе K470...</translation>
    </message>
    <message>
        <source>Select language...</source>
        <translation>Выбор языка...</translation>
    </message>
    <message>
        <source>Copy to clipboard</source>
        <translation>Копировать в буфер обмена</translation>
    </message>
    <message>
        <source>Notepad</source>
        <translation>Блокнот</translation>
    </message>
    <message>
        <source>Open file</source>
        <translation>Открыть файл</translation>
    </message>
    <message>
        <source>Start/stop command</source>
        <translation>Команда пуск/стоп</translation>
    </message>
    <message>
        <source>Reset command</source>
        <translation>Команда сброса</translation>
    </message>
    <message>
        <source>Data acquisition</source>
        <translation>Получение данных</translation>
    </message>
    <message>
        <source>Signal acquisition</source>
        <translation>Получение сигнала</translation>
    </message>
    <message>
        <source>Save as text</source>
        <translation>Сохранить как текст</translation>
    </message>
    <message>
        <source>Save as binary</source>
        <translation>Сохранить в двоичном виде</translation>
    </message>
    <message>
        <source>Tool bar</source>
        <translation>Панель инструментов</translation>
    </message>
    <message>
        <source>Data accumulating progress</source>
        <translation>Ход накопления данных</translation>
    </message>
    <message>
        <source>Previous / next record</source>
        <translation>Предыдущая / следующая запись</translation>
    </message>
    <message>
        <source>Record position</source>
        <translation>Номер записи</translation>
    </message>
    <message>
        <source>Average records</source>
        <translation>Усреднить записи</translation>
    </message>
    <message>
        <source>First record to average</source>
        <translation>Первая усредняемая запись</translation>
    </message>
    <message>
        <source>Last record to average</source>
        <translation>Последняя усредняемая запись</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Пуск</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Пауза</translation>
    </message>
    <message>
        <source>Channel</source>
        <translation>Канал</translation>
    </message>
    <message>
        <source>Active processing preset</source>
        <translation>Активная предустановка обработки</translation>
    </message>
    <message>
        <source>Replay range</source>
        <translation>Интервал воспроизведения</translation>
    </message>
    <message>
        <source>The recording waits for its external trigger</source>
        <translation>Запись ждёт внешнего запуска</translation>
    </message>
    <message>
        <source>Average</source>
        <translation>Усреднить</translation>
    </message>
    <message>
        <source>armed</source>
        <translation>ожидание запуска</translation>
    </message>
    <message>
        <source>No data source</source>
        <translation>Нет источника данных</translation>
    </message>
    <message>
        <source>Preset: %1</source>
        <translation>Предустановка: %1</translation>
    </message>
    <message>
        <source>Can&apos;t write file &apos;%1&apos;</source>
        <translation>Невозможно записать файл &apos;%1&apos;</translation>
    </message>
    <message>
        <source>&amp;Print report...</source>
        <translation>&amp;Печать отчёта...</translation>
    </message>
    <message>
        <source>Export report as P&amp;DF...</source>
        <translation>Экспорт отчёта в P&amp;DF...</translation>
    </message>
    <message>
        <source>All device files (%1)</source>
        <translation>Все файлы прибора (%1)</translation>
    </message>
    <message>
        <source>Binary files (%1)</source>
        <translation>Двоичные файлы (%1)</translation>
    </message>
    <message>
        <source>Data files (%1)</source>
        <translation>Файлы данных (%1)</translation>
    </message>
    <message>
        <source>Sound files (%1)</source>
        <translation>Звуковые файлы (%1)</translation>
    </message>
    <message>
        <source>Vibration</source>
        <translation>Вибрация</translation>
    </message>
</context>
<context>
    <name>k470::app::MultirecordsPage</name>
    <message>
        <source>Clock time</source>
        <translation>Время суток</translation>
    </message>
    <message>
        <source>Label the time axis with the time of day of the records</source>
        <translation>Подписывать ось времени временем суток записей</translation>
    </message>
    <message>
        <source>Time of day</source>
        <translation>Время суток</translation>
    </message>
    <message>
        <source>Plot</source>
        <translation>График</translation>
    </message>
    <message>
        <source>To notepad</source>
        <translation>В блокнот</translation>
    </message>
    <message>
        <source>Note the cursors&apos; time and level in the notepad</source>
        <translation>Записать время и уровень курсоров в блокнот</translation>
    </message>
    <message>
        <source>T[sec]</source>
        <translation>T[с]</translation>
    </message>
    <message>
        <source>L[dB]</source>
        <translation>L[дБ]</translation>
    </message>
</context>
<context>
    <name>k470::app::NotepadDialog</name>
    <message>
        <source>Notepad</source>
        <translation>Блокнот</translation>
    </message>
    <message>
        <source>Points noted from the plots (choose two):</source>
        <translation>Точки, записанные с графиков (выберите две):</translation>
    </message>
    <message>
        <source>Difference</source>
        <translation>Разность</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Очистить</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Выход</translation>
    </message>
</context>
<context>
    <name>k470::app::ParametersDialog</name>
    <message>
        <source>Parameters</source>
        <translation>Параметры</translation>
    </message>
    <message>
        <source>Date:</source>
        <translation>Дата:</translation>
    </message>
    <message>
        <source>Time:</source>
        <translation>Время:</translation>
    </message>
    <message>
        <source>Comment:</source>
        <translation>Комментарий:</translation>
    </message>
    <message>
        <source>Interval:</source>
        <translation>Интервал:</translation>
    </message>
    <message>
        <source>VIN:</source>
        <translation>VIN:</translation>
    </message>
    <message>
        <source>range %1</source>
        <translation>диапазон %1</translation>
    </message>
    <message>
        <source>Range:</source>
        <translation>Диапазон:</translation>
    </message>
    <message>
        <source>Calibration offset:</source>
        <translation>Калибровочная поправка:</translation>
    </message>
    <message>
        <source>Linear</source>
        <translation>Линейные</translation>
    </message>
    <message>
        <source>Enter P0</source>
        <translation>Введите P0</translation>
    </message>
    <message>
        <source>P0:</source>
        <translation>P0:</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Выход</translation>
    </message>
    <message>
        <source>Enter calibration offset</source>
        <translation>Введите калибровочную поправку</translation>
    </message>
</context>
<context>
    <name>k470::app::PercentilesDialog</name>
    <message>
        <source>Distribution histogram</source>
        <translation>Гистограмма распределения</translation>
    </message>
    <message>
        <source>Percentile [%]</source>
        <translation>Процентиль [%]</translation>
    </message>
    <message>
        <source>Level [dB]</source>
        <translation>Уровень [дБ]</translation>
    </message>
    <message>
        <source>Min</source>
        <translation>Мин</translation>
    </message>
    <message>
        <source>Max</source>
        <translation>Макс</translation>
    </message>
    <message>
        <source>Records</source>
        <translation>Записи</translation>
    </message>
    <message>
        <source>Calculate</source>
        <translation>Вычислить</translation>
    </message>
    <message>
        <source>Save to clipboard</source>
        <translation>Сохранить в буфер обмена</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Выход</translation>
    </message>
    <message>
        <source>Calculating...</source>
        <translation>Вычисление...</translation>
    </message>
</context>
<context>
    <name>k470::app::PlotLimitsDialog</name>
    <message>
        <source>Plot</source>
        <translation>График</translation>
    </message>
    <message>
        <source>Lower limit [dB]</source>
        <translation>Нижний предел [дБ]</translation>
    </message>
    <message>
        <source>Upper limit [dB]</source>
        <translation>Верхний предел [дБ]</translation>
    </message>
    <message>
        <source>Threshold 1[dB]</source>
        <translation>Порог 1[дБ]</translation>
    </message>
    <message>
        <source>Threshold 2[dB]</source>
        <translation>Порог 2[дБ]</translation>
    </message>
    <message>
        <source>Threshold 3[dB]</source>
        <translation>Порог 3[дБ]</translation>
    </message>
    <message>
        <source>the lower limit must be below threshold 1</source>
        <translation>нижний предел должен быть меньше порога 1</translation>
    </message>
    <message>
        <source>threshold 1 must be below threshold 2</source>
        <translation>порог 1 должен быть меньше порога 2</translation>
    </message>
    <message>
        <source>threshold 2 must be below the upper limit</source>
        <translation>порог 2 должен быть меньше верхнего предела</translation>
    </message>
    <message>
        <source>threshold 3 must be above the lower limit</source>
        <translation>порог 3 должен быть больше нижнего предела</translation>
    </message>
</context>
<context>
    <name>k470::app::RecordSelectionDialog</name>
    <message>
        <source>Select records</source>
        <translation>Выбор записей</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Дата</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Время</translation>
    </message>
    <message>
        <source>VIN</source>
        <translation>VIN</translation>
    </message>
    <message>
        <source>Length (sec)</source>
        <translation>Длительность (с)</translation>
    </message>
    <message>
        <source>Select all</source>
        <translation>Выбрать все</translation>
    </message>
    <message>
        <source>Clear selection</source>
        <translation>Снять выбор</translation>
    </message>
</context>
<context>
    <name>k470::app::RecordingDialog</name>
    <message>
        <source>Autorecordind parameters</source>
        <translation>Параметры автозаписи</translation>
    </message>
    <message>
        <source>Saving period [sec]</source>
        <translation>Период сохранения [с]</translation>
    </message>
    <message>
        <source>Number of records</source>
        <translation>Число записей</translation>
    </message>
    <message>
        <source>External trigger</source>
        <translation>Внешний запуск</translation>
    </message>
</context>
<context>
    <name>k470::app::ReportDialog</name>
    <message>
        <source>Report</source>
        <translation>Отчёт</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Добавить</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Удалить</translation>
    </message>
    <message>
        <source>All</source>
        <translation>Все</translation>
    </message>
    <message>
        <source>Up</source>
        <translation>Вверх</translation>
    </message>
    <message>
        <source>Down</source>
        <translation>Вниз</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Дата</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Время</translation>
    </message>
    <message>
        <source>VIN</source>
        <translation>VIN</translation>
    </message>
    <message>
        <source>Interval</source>
        <translation>Интервал</translation>
    </message>
    <message>
        <source>name is frequency value only</source>
        <translation>имя - только значение частоты</translation>
    </message>
    <message>
        <source>Create report</source>
        <translation>Создать отчёт</translation>
    </message>
</context>
<context>
    <name>k470::app::ReportOptionsDialog</name>
    <message>
        <source>Report document</source>
        <translation>Документ отчёта</translation>
    </message>
    <message>
        <source>Operator:</source>
        <translation>Оператор:</translation>
    </message>
    <message>
        <source>Project:</source>
        <translation>Проект:</translation>
    </message>
    <message>
        <source>Level to plot:</source>
        <translation>Уровень для графика:</translation>
    </message>
    <message>
        <source>Export report as PDF</source>
        <translation>Экспорт отчёта в PDF</translation>
    </message>
    <message>
        <source>PDF files (*.pdf)</source>
        <translation>Файлы PDF (*.pdf)</translation>
    </message>
    <message>
        <source>The report could not be printed.</source>
        <translation>Не удалось напечатать отчёт.</translation>
    </message>
</context>
<context>
    <name>k470::app::Rt60Page</name>
    <message>
        <source>Record</source>
        <translation>Запись</translation>
    </message>
    <message>
        <source>The record to analyse</source>
        <translation>Анализируемая запись</translation>
    </message>
    <message>
        <source>from</source>
        <translation>от</translation>
    </message>
    <message>
        <source>Where the analysed range starts: the replay start, the record&apos;s begin or a marker</source>
        <translation>Начало анализируемого интервала: начало воспроизведения, начало записи или метка</translation>
    </message>
    <message>
        <source>to</source>
        <translation>до</translation>
    </message>
    <message>
        <source>Where the analysed range ends: the replay end, the record&apos;s end or a marker</source>
        <translation>Конец анализируемого интервала: конец воспроизведения, конец записи или метка</translation>
    </message>
    <message>
        <source>The last %1 s of the signal</source>
        <translation>Последние %1 с сигнала</translation>
    </message>
    <message>
        <source>Octaves</source>
        <translation>Октавы</translation>
    </message>
    <message>
        <source>Third octaves</source>
        <translation>1/3 октавы</translation>
    </message>
    <message>
        <source>Calculate</source>
        <translation>Вычислить</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Копировать</translation>
    </message>
    <message>
        <source>Copy the table to the clipboard</source>
        <translation>Копировать таблицу в буфер обмена</translation>
    </message>
    <message>
        <source>Save CSV...</source>
        <translation>Сохранить CSV...</translation>
    </message>
    <message>
        <source>Choose the range and the bands, then &quot;Calculate&quot;.</source>
        <translation>Выберите интервал и полосы, затем нажмите &quot;Вычислить&quot;.</translation>
    </message>
    <message>
        <source>Band [Hz]</source>
        <translation>Полоса [Гц]</translation>
    </message>
    <message>
        <source>EDT [s]</source>
        <translation>EDT [с]</translation>
    </message>
    <message>
        <source>T20 [s]</source>
        <translation>T20 [с]</translation>
    </message>
    <message>
        <source>T30 [s]</source>
        <translation>T30 [с]</translation>
    </message>
    <message>
        <source>r T20</source>
        <translation>r T20</translation>
    </message>
    <message>
        <source>r T30</source>
        <translation>r T30</translation>
    </message>
    <message>
        <source>Floor [dB]</source>
        <translation>Фон [дБ]</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>Примечание</translation>
    </message>
    <message>
        <source>Decay of band</source>
        <translation>Спад в полосе</translation>
    </message>
    <message>
        <source>t [s]</source>
        <translation>t [с]</translation>
    </message>
    <message>
        <source>L [dB]</source>
        <translation>L [дБ]</translation>
    </message>
    <message>
        <source>Replay end (%1 s)</source>
        <translation>Конец воспроизведения (%1 с)</translation>
    </message>
    <message>
        <source>Replay start (%1 s)</source>
        <translation>Начало воспроизведения (%1 с)</translation>
    </message>
    <message>
        <source>Record end</source>
        <translation>Конец записи</translation>
    </message>
    <message>
        <source>Record begin</source>
        <translation>Начало записи</translation>
    </message>
    <message>
        <source>%1 (%2 s)</source>
        <translation>%1 (%2 с)</translation>
    </message>
    <message>
        <source>No signal has arrived yet.</source>
        <translation>Сигнал ещё не поступал.</translation>
    </message>
    <message>
        <source>The range ends before it starts.</source>
        <translation>Конец интервала раньше его начала.</translation>
    </message>
    <message>
        <source>Record %1, channel %2: %3</source>
        <translation>Запись %1, канал %2: %3</translation>
    </message>
    <message>
        <source>%1 to %2</source>
        <translation>%1 — %2</translation>
    </message>
    <message>
        <source>the whole record</source>
        <translation>вся запись</translation>
    </message>
    <message>
        <source>The last %1 s of channel %2</source>
        <translation>Последние %1 с канала %2</translation>
    </message>
    <message>
        <source>Decay [dB]</source>
        <translation>Спад [дБ]</translation>
    </message>
    <message>
        <source>T20 [dB]</source>
        <translation>T20 [дБ]</translation>
    </message>
    <message>
        <source>T30 [dB]</source>
        <translation>T30 [дБ]</translation>
    </message>
    <message>
        <source>Nothing has been calculated yet.</source>
        <translation>Ещё ничего не вычислено.</translation>
    </message>
    <message>
        <source>Save CSV</source>
        <translation>Сохранить CSV</translation>
    </message>
    <message>
        <source>CSV files (*.csv);;All files (*)</source>
        <translation>Файлы CSV (*.csv);;Все файлы (*)</translation>
    </message>
</context>
<context>
    <name>k470::app::SignalFileSession</name>
    <message>
        <source>Signal file</source>
        <translation>Файл сигнала</translation>
    </message>
    <message>
        <source>Enter record position</source>
        <translation>Введите номер записи</translation>
    </message>
    <message>
        <source>Record position</source>
        <translation>Номер записи</translation>
    </message>
    <message>
        <source>Replay start: %1 sec</source>
        <translation>Начало воспроизведения: %1 с</translation>
    </message>
    <message>
        <source>Replay end: %1 sec</source>
        <translation>Конец воспроизведения: %1 с</translation>
    </message>
    <message>
        <source>Current replay position: %1 sec</source>
        <translation>Текущая позиция воспроизведения: %1 с</translation>
    </message>
    <message>
        <source>Record begin</source>
        <translation>Начало записи</translation>
    </message>
    <message>
        <source>Record end</source>
        <translation>Конец записи</translation>
    </message>
    <message>
        <source>Select marker</source>
        <translation>Выбор метки</translation>
    </message>
    <message>
        <source> (not applied: the file is stored in %1)</source>
        <translation> (не применяется: файл записан в %1)</translation>
    </message>
</context>
<context>
    <name>k470::app::SignalPage</name>
    <message>
        <source>T[sec]</source>
        <translation>T[с]</translation>
    </message>
    <message>
        <source>Channel %1 level: %2</source>
        <translation>Уровень канала %1: %2</translation>
    </message>
    <message>
        <source>To notepad</source>
        <translation>В блокнот</translation>
    </message>
    <message>
        <source>Note the cursors&apos; time and value in the notepad</source>
        <translation>Записать время и значение курсоров в блокнот</translation>
    </message>
    <message>
        <source>Hold</source>
        <translation>Удержать</translation>
    </message>
    <message>
        <source>Freeze the shown signal while it goes on flowing</source>
        <translation>Остановить показ сигнала, пока он продолжает поступать</translation>
    </message>
    <message>
        <source>Trigger:</source>
        <translation>Запуск:</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Выкл.</translation>
    </message>
    <message>
        <source>Rising</source>
        <translation>По фронту</translation>
    </message>
    <message>
        <source>Falling</source>
        <translation>По спаду</translation>
    </message>
    <message>
        <source>Start the view where the signal last crossed the level</source>
        <translation>Начинать показ с места, где сигнал в последний раз пересёк уровень</translation>
    </message>
    <message>
        <source>Trigger level in the channel&apos;s units</source>
        <translation>Уровень запуска в единицах канала</translation>
    </message>
</context>
<context>
    <name>k470::app::SignalParametersDialog</name>
    <message>
        <source>Signal parameters</source>
        <translation>Параметры сигнала</translation>
    </message>
    <message>
        <source>none</source>
        <translation>нет</translation>
    </message>
    <message>
        <source>Hz</source>
        <translation>Гц</translation>
    </message>
    <message>
        <source>decimation</source>
        <translation>децимация</translation>
    </message>
    <message>
        <source>Select processor name</source>
        <translation>Выберите имя процессора</translation>
    </message>
    <message>
        <source>Calibration offset, dB</source>
        <translation>Калибровочная поправка, дБ</translation>
    </message>
    <message>
        <source>Sensitivity</source>
        <translation>Чувствительность</translation>
    </message>
    <message>
        <source>Units</source>
        <translation>Единицы</translation>
    </message>
    <message>
        <source>Filtration</source>
        <translation>Фильтрация</translation>
    </message>
    <message>
        <source>Base level</source>
        <translation>Опорный уровень</translation>
    </message>
    <message>
        <source>Linear calibration factor</source>
        <translation>Линейный калибровочный множитель</translation>
    </message>
    <message>
        <source>Normalise the row to unit length</source>
        <translation>Нормировать строку к единичной длине</translation>
    </message>
    <message>
        <source>Show the response of the channel&apos;s filter</source>
        <translation>Показать характеристику фильтра канала</translation>
    </message>
    <message>
        <source>HP filter</source>
        <translation>ФВЧ</translation>
    </message>
    <message>
        <source>Base decimation</source>
        <translation>Базовая децимация</translation>
    </message>
    <message>
        <source>Replay speed</source>
        <translation>Скорость воспроизведения</translation>
    </message>
    <message>
        <source>1x</source>
        <translation>1x</translation>
    </message>
    <message>
        <source>10x</source>
        <translation>10x</translation>
    </message>
    <message>
        <source>100x</source>
        <translation>100x</translation>
    </message>
    <message>
        <source>original signal</source>
        <translation>исходный сигнал</translation>
    </message>
    <message>
        <source>processed signal</source>
        <translation>обработанный сигнал</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Добавить</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Удалить</translation>
    </message>
    <message>
        <source>Filter reset</source>
        <translation>Сброс фильтров</translation>
    </message>
    <message>
        <source>Process</source>
        <translation>Обработать</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>F,Hz:</source>
        <translation>F,Гц:</translation>
    </message>
    <message>
        <source>dB</source>
        <translation>дБ</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Назад</translation>
    </message>
    <message>
        <source>Enter processor name</source>
        <translation>Введите имя процессора</translation>
    </message>
    <message>
        <source>The name isn&apos;t unique.
Overwrite?</source>
        <translation>Имя не уникально.
Перезаписать?</translation>
    </message>
    <message>
        <source>Processing...</source>
        <translation>Обработка...</translation>
    </message>
    <message>
        <source>Save processed signal</source>
        <translation>Сохранить обработанный сигнал</translation>
    </message>
    <message>
        <source>Data files (*.sdt)</source>
        <translation>Файлы данных (*.sdt)</translation>
    </message>
    <message>
        <source>Can&apos;t write file &apos;%1&apos;</source>
        <translation>Невозможно записать файл &apos;%1&apos;</translation>
    </message>
</context>
<context>
    <name>k470::app::SourcePage</name>
    <message>
        <source>Spectra</source>
        <translation>Спектры</translation>
    </message>
    <message>
        <source>Multirecords</source>
        <translation>Мультизаписи</translation>
    </message>
    <message>
        <source>Signal</source>
        <translation>Сигнал</translation>
    </message>
    <message>
        <source>Levels</source>
        <translation>Уровни</translation>
    </message>
    <message>
        <source>FFT</source>
        <translation>БПФ</translation>
    </message>
    <message>
        <source>RT-60</source>
        <translation>RT-60</translation>
    </message>
    <message>
        <source>Vibration</source>
        <translation>Вибрация</translation>
    </message>
</context>
<context>
    <name>k470::app::SpectraPage</name>
    <message>
        <source>Freq band [Hz] </source>
        <translation>Полоса частот [Гц] </translation>
    </message>
    <message>
        <source>Level [dB]</source>
        <translation>Уровень [дБ]</translation>
    </message>
    <message>
        <source>Impulse</source>
        <translation>Импульс</translation>
    </message>
    <message>
        <source>Fast</source>
        <translation>Быстро</translation>
    </message>
    <message>
        <source>Slow</source>
        <translation>Медленно</translation>
    </message>
    <message>
        <source>Leq</source>
        <translation>Leq</translation>
    </message>
    <message>
        <source>ESlow</source>
        <translation>ЭМедленно</translation>
    </message>
    <message>
        <source>Fast min</source>
        <translation>Быстро мин</translation>
    </message>
    <message>
        <source>Fast max</source>
        <translation>Быстро макс</translation>
    </message>
    <message>
        <source>Plot</source>
        <translation>График</translation>
    </message>
    <message>
        <source>On line</source>
        <translation>В реальном времени</translation>
    </message>
    <message>
        <source>C correction</source>
        <translation>Коррекция C</translation>
    </message>
    <message>
        <source>A correction</source>
        <translation>Коррекция A</translation>
    </message>
    <message>
        <source>Z correction</source>
        <translation>Коррекция Z</translation>
    </message>
    <message>
        <source>1/1 %1</source>
        <translation>1/1 %1</translation>
    </message>
    <message>
        <source>1/3 %1</source>
        <translation>1/3 %1</translation>
    </message>
</context>
<context>
    <name>k470::app::TablePage</name>
    <message>
        <source>OVERLOAD</source>
        <translation>ПЕРЕГРУЗКА</translation>
    </message>
    <message>
        <source>Underrange</source>
        <translation>Ниже диапазона</translation>
    </message>
</context>
<context>
    <name>k470::app::TeleParametersDialog</name>
    <message>
        <source>Tele parameters</source>
        <translation>Параметры телеметрии</translation>
    </message>
    <message>
        <source>Tele adapter</source>
        <translation>Адаптер телеметрии</translation>
    </message>
    <message>
        <source>USB</source>
        <translation>USB</translation>
    </message>
    <message>
        <source>WiFi</source>
        <translation>WiFi</translation>
    </message>
    <message>
        <source>WiFi network adapter IP address</source>
        <translation>IP-адрес сетевого адаптера WiFi</translation>
    </message>
    <message>
        <source>Device IP address</source>
        <translation>IP-адрес прибора</translation>
    </message>
</context>
<context>
    <name>k470::app::TranslationParametersDialog</name>
    <message>
        <source>Translation parameters</source>
        <translation>Параметры перевода</translation>
    </message>
    <message>
        <source>Saving</source>
        <translation>Сохранение</translation>
    </message>
    <message>
        <source>in separate files</source>
        <translation>в отдельные файлы</translation>
    </message>
    <message>
        <source>every channel in separate file</source>
        <translation>каждый канал в отдельный файл</translation>
    </message>
    <message>
        <source>every record in separate file</source>
        <translation>каждую запись в отдельный файл</translation>
    </message>
    <message>
        <source>Playback rate</source>
        <translation>Частота воспроизведения</translation>
    </message>
    <message>
        <source>from device</source>
        <translation>от прибора</translation>
    </message>
    <message>
        <source>set 24 kHz</source>
        <translation>установить 24 кГц</translation>
    </message>
    <message>
        <source>set 48 kHz</source>
        <translation>установить 48 кГц</translation>
    </message>
    <message>
        <source>signal normalization</source>
        <translation>нормализация сигнала</translation>
    </message>
</context>
<context>
    <name>k470::app::VibrationPage</name>
    <message>
        <source>Whole-body (ISO 2631-1)</source>
        <translation>Общая (ISO 2631-1)</translation>
    </message>
    <message>
        <source>Hand-arm (ISO 5349-1)</source>
        <translation>Локальная (ISO 5349-1)</translation>
    </message>
    <message>
        <source>Exposure per day [h]</source>
        <translation>Воздействие в день [ч]</translation>
    </message>
    <message>
        <source>none</source>
        <translation>нет</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Копировать</translation>
    </message>
    <message>
        <source>Copy the figures as CSV (as k470-cli vibration --summary)</source>
        <translation>Копировать значения как CSV (как k470-cli vibration --summary)</translation>
    </message>
    <message>
        <source>Quantity</source>
        <translation>Величина</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Значение</translation>
    </message>
    <message>
        <source>Unit</source>
        <translation>Единица</translation>
    </message>
    <message>
        <source>No signal has arrived yet.</source>
        <translation>Сигнал ещё не поступал.</translation>
    </message>
    <message>
        <source>Since the start: %1 s</source>
        <translation>С начала: %1 с</translation>
    </message>
    <message>
        <source>Make vibration records...</source>
        <translation>Создать записи вибрации...</translation>
    </message>
    <message>
        <source>Make vibration records</source>
        <translation>Создать записи вибрации</translation>
    </message>
    <message>
        <source>Binary files (*.bin)</source>
        <translation>Двоичные файлы (*.bin)</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Все файлы (*)</translation>
    </message>
    <message>
        <source>Making vibration records...</source>
        <translation>Создание записей вибрации...</translation>
    </message>
</context>
</TS>
