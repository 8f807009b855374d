#include "text/catalogue.h"

#include <array>

namespace marlo {

namespace {

// A text of the catalogue in both languages.
struct TextPair {
    const char* polish;
    const char* english;
};

constexpr std::array<TextPair, 55> kMessages = {{
    {"Wiadomość", "Message"},
    {"Brak plików do konwersji!", "No files to convert!"},
    {"Błąd odczytu formatu wynikowego!", "Error reading output format!"},
    {"Błąd odczytu formatu wejściowego!", "Error reading input format!"},
    {"Formaty wejściowy i wynikowy są takie same!", "Input and output file formats are the same!"},
    {"Katalog wynikowy nie istnieje!", "Output directory doesn't exists!"},
    {"Zakończono!", "Done!"},
    {"Błąd odczytu ", "Unable to open "},
    {"Błędne wartości w pliku tfw!", "Error value in the tfw file!"},
    {"Plik rastrowy nie jest zrektyfikowany", "Raster is not rectyfied"},
    {"Nie odnaleziono pliku!", "File not found!"},
    {"Błąd odczytu nagłówka z pliku!", "Error reading header from file!"},
    {"Błąd!", "Error!"},
    {"Plik TAB nie zawiera wystarczającej ilości współrzędnych!",
     "TAB file doesn't contain enough coordinates!"},
    {"Nieoczekiwany format pliku TAB!", "Unexpected TAB file format!"},
    {"Brak możliwości aktualizacji ", "Unable to update "},
    {"Plik wynikowy już istnieje!", "Output file already exists!"},
    {"Błąd zapisu nagłówka do pliku!", "Error writing header to file!"},
    {"Błąd odczytu nagłówka z pliku (rozmiar)!", "Error reading header from file (size)!"},
    {"Brak możliwości odczytu właściwości pliku!", "Unable to open tif file properties!"},
    {"Błąd odczytu szerokości pliku!", "Unable to determine image width!"},
    {"Błąd odczytu długości pliku!", "Unable to determine image length!"},
    {"Błędny symbol dziesiętny: ", "Incorrect decimal sign: "},
    {"Brak możliwości odczytu pliku!", "Unable to open file!"},
    {"Wybierz pliki...", "Select files..."},
    {"Plik projekcji MapInfo ", "MapInfo projection file "},
    {"Zlokalizuj plik projekcji MapInfo...", "Locate MapInfo projection file..."},
    {"Wybierz katalog wynikowy:", "Select output directory:"},
    {"Brak możliwości zapisu do katalogu wynikowego!", "Unable to write to output folder!"},
    {"Plik jest tylko do odczytu!", "File is read only!"},
    {"Katalogi wejściowy i wynikowy są takie same!", "Input and output directories are the same!"},
    {"Wszelkie uwagi, pytania, sugestie są mile widziane.",
     "Any questions, comments, suggestions are greatly appreciated."},
    // Added to the designed catalogue: a name a table's File line cannot hold.
    {"Nazwy pliku rastrowego nie można zapisać w pliku TAB!",
     "The image name cannot be written into a TAB file!"},
    // Added: files dropped on the window or named on its command line.
    {"Pliki do konwersji muszą być jednego rodzaju!", "Files to convert must be of one kind!"},
    // Added: an image whose coordinate system a table cannot state; followed by the system's
    // name and the image's path.
    {"Układu współrzędnych obrazu nie można zapisać w pliku TAB:",
     "The image's coordinate system cannot be written into a TAB file:"},
    // Added: outputs that would replace an input, inputs not of their format, images a table
    // reaches outside its folder, and projection lists cut short.
    {"Plik wynikowy zastąpiłby plik wejściowy tej konwersji!",
     "The output would replace an input of this conversion!"},
    {"Plik nie jest w wybranym formacie wejściowym!",
     "The file is not of the chosen input format!"},
    {"Obraz leży poza katalogiem pliku TAB; nie zapisano przy nim pliku!",
     "The image lies outside the TAB file's folder; nothing is written beside it!"},
    {"Lista projekcji jest niekompletna lub uszkodzona!",
     "The projection list is incomplete or damaged!"},
    // Added: why a TIFF gives no georeference, and an image that cannot take GeoTIFF tags.
    {"Plik TIFF nie zawiera georeferencji!", "The TIFF holds no georeference!"},
    {"Plik TIFF zawiera tylko punkty kontrolne (GCP), nie georeferencję; najpierw go zrektyfikuj!",
     "The TIFF holds only ground control points (GCPs), no georeference; rectify it first!"},
    {"Znaczniki GeoTIFF można zapisać tylko w pliku TIFF!",
     "Only a TIFF file can take GeoTIFF tags!"},
    // Added: side files (.aux.xml, .prj) that refuse their image; each is followed by the
    // side file's path.
    {"Plik pomocniczy jest zbyt duży, by go odczytać!", "The side file is too large to read!"},
    {"Nie można ustalić, jaki układ współrzędnych podaje plik .aux.xml (to nie jest poprawny "
     "XML albo ma nietypową budowę)!",
     "Cannot tell which coordinate system the .aux.xml file states (it is not well-formed XML "
     "or is laid out unusually)!"},
    {"Plik .aux.xml jest dowiązaniem; Marlo nie zapisuje przez nie ani go nie zastępuje!",
     "The .aux.xml file is a link; Marlo neither writes through it nor replaces it!"},
    // Added: a georeference whose numbers are no numbers or too large to place an image, and
    // a file the user names for a run's summary that is one of the run's own outputs.
    {"Wartości georeferencji nie są liczbami lub są zbyt duże, by umieścić obraz!",
     "The georeference's values are not numbers or too large to place an image!"},
    {"Ten plik zastąpiłby plik wynikowy tej konwersji!",
     "This file would replace an output of this conversion!"},
    // Added: a file named for a run's summary or footprint index that holds something else.
    {"Plik istnieje i nie jest zestawieniem ani indeksem arkuszy zapisanym przez Marlo!",
     "The file exists and is not a summary or footprint index Marlo wrote!"},
    // Added: a coordinate system the projection list does not settle, without GDAL's bridge.
    {"Ten układ współrzędnych wymaga GDAL: zainstaluj pakiet marlo-gdal!",
     "This coordinate system needs GDAL: install the package marlo-gdal!"},
    {"Plik nie określa własnego układu współrzędnych, a nie wybrano żadnego!",
     "The input states no coordinate system of its own, and none was chosen!"},
    // Added: images whose georeference is written into them where they stand.
    {"Obraz jest otwarty do zapisu w innym programie!",
     "The image is open for writing in another program!"},
    {"Obraz jest GeoTIFF-em zoptymalizowanym do chmury: zapis w miejscu zniszczyłby jego "
     "układ. Wybierz kopię!",
     "The image is a cloud-optimised GeoTIFF: writing into it would break its layout. Make a "
     "copy instead!"},
    // Added: why a table cannot hold a system, after its name (and followed by the method).
    {"tabele MapInfo nie mają odwzorowania dla metody tego układu",
     "MapInfo tables have no projection for the system's method"},
    {"GDAL nie odczytuje żadnego zapisu tego układu w pliku TAB jako tego samego układu",
     "GDAL reads no TAB clause for this system back as the same system"},
    {"tabela zapisuje układ odniesienia jego przesunięciem do WGS 84, a PROJ nie zna w obszarze "
     "układu takiego przesunięcia, które zgadza się co do 1 m z jego najlepszą transformacją "
     "(siatką), albo nie zna żadnej",
     "a table states a datum by its shift to WGS 84, and PROJ has no such shift in the system's "
     "area within 1 m of its best transformation there (a grid), or none at all"},
}};

// Caption 0 does not exist; the table starts at 1.
constexpr std::array<TextPair, 62> kCaptions = {{
    {nullptr, nullptr},
    {"Marlo - wybierz projekcję MapInfo", "Marlo - Select MapInfo projection"},
    {"Grupa:", "Group:"},
    {"Projekcja:", "Projection:"},
    {"OK", "OK"},
    {"O aplikacji", "About"},
    {"Plik/pliki do konwersji:", "File/files to convert:"},
    {"Konwertuj do:", "Convert to:"},
    {"Katalog wynikowy:", "Output directory:"},
    {"Konwertuj z:", "Convert from:"},
    {"Rozpocznij konwersję...", "Start conversion..."},
    {"Wybierz folder...", "Select folder..."},
    {"Wybierz pliki...", "Select files..."},
    {"Kliknij aby otworzyć stronę...", "Click to open page..."},
    {"Wersja językowa:", "Language version:"},
    // Added to the designed catalogue: the projection window's option for GeoTIFF input.
    {"Użyj układu współrzędnych zapisanego w obrazie", "Use each image's own coordinate system"},
    // Added: the status line after a run, the progress window, the projection window's
    // search and other list, and files chosen before a run. {0}, {1}... are filled in.
    {"Przekonwertowano {0} z {1}", "{0} of {1} converted"},
    {"zatrzymano na", "stopped at"},
    {"anulowano przed", "cancelled before"},
    {"Plik {0} z {1}: {2}", "File {0} of {1}: {2}"},
    {"Marlo - konwersja", "Marlo - Converting"},
    {"Anuluj", "Cancel"},
    {"Użyj innej listy...", "Use another list..."},
    {"Szukaj (nazwa lub kod EPSG):", "Search (name or EPSG code):"},
    {"Wybrane pliki: {0} w {1}", "Files selected: {0} in {1}"},
    // Added: outputs written without the coordinate system their input states, which GDAL
    // cannot understand.
    {"bez układu współrzędnych (GDAL nie zapisze go w GeoTIFF): {0}",
     "without a coordinate system (GDAL cannot write it into a GeoTIFF): {0}"},
    // Added: the projection window's answer for GeoTIFFs made from world files.
    {"Bez układu współrzędnych", "No coordinate system"},
    // Added: a run cancelled in one of its dialogs, and where its outputs went.
    {"Anulowano", "Cancelled"},
    {"wyniki w {0}", "outputs in {0}"},
    // Added: the summary after a run, and its window.
    {"Przekonwertowano: {0}, pominięto: {1}, błędy: {2}, nieprzetworzone: {3}",
     "Converted: {0}, skipped: {1}, failed: {2}, not reached: {3}"},
    {"Marlo - podsumowanie", "Marlo - Summary"},
    {"Kopiuj", "Copy"},
    {"Zapisz jako CSV...", "Save as CSV..."},
    {"Otwórz katalog wynikowy", "Open output folder"},
    // Added: the main window's choice to go on after a failed file.
    {"Kontynuuj po błędnym pliku", "Keep going after a failed file"},
    // Added: the question before a run that would replace outputs, and its answers.
    {"Pliki wynikowe już istnieją: {0} z {1}, na przykład:\n{2}",
     "{0} of the {1} outputs already exist, for example:\n{2}"},
    {"Zastąp wszystkie", "Replace all"},
    {"Pomiń istniejące", "Skip existing"},
    // Added: the projection window when its search finds nothing.
    {"Brak pasujących projekcji", "No matching projections"},
    // Added: the summary's list of files.
    {"Błędy:", "Failed:"},
    {"Zamknij", "Close"},
    {"Plik", "File"},
    {"Wynik", "Result"},
    {"Przyczyna", "Reason"},
    {"przekonwertowano", "converted"},
    {"pominięto", "skipped"},
    {"błąd", "failed"},
    {"nieprzetworzony", "not reached"},
    // Added: the footprints of a run, on its map and in its index.
    // Counting captions: forms separated by "|" (see CaptionCounting).
    {"{0} arkusz leży daleko od pozostałych|{0} arkusze leżą daleko od pozostałych|"
     "{0} arkuszy leży daleko od pozostałych",
     "{0} sheet lies far from the rest|{0} sheets lie far from the rest"},
    {"{0} arkusz pokrywa prawie całkowicie inny|{0} arkusze pokrywają prawie całkowicie inne|"
     "{0} arkuszy pokrywa prawie całkowicie inne",
     "{0} sheet covers another almost entirely|{0} sheets cover another almost entirely"},
    {"Zapisz zasięgi arkuszy...", "Save footprints..."},
    // A sheet is left out when GDAL knows no system for it or cannot move it to WGS 84.
    {"zasięgi: pominięto {0} arkusz, którego GDAL nie umie umieścić w WGS 84|"
     "zasięgi: pominięto {0} arkusze, których GDAL nie umie umieścić w WGS 84|"
     "zasięgi: pominięto {0} arkuszy, których GDAL nie umie umieścić w WGS 84",
     "footprints: {0} sheet GDAL cannot place in WGS 84 was left out|"
     "footprints: {0} sheets GDAL cannot place in WGS 84 were left out"},
    // Added: the map's scale bar for sheets without a coordinate system.
    {"jednostki mapy", "map units"},
    // Added: the summary of a run the user cancelled, and an address no program opens.
    {"Anulowano przed plikiem {0}", "Cancelled before {0}"},
    {"Żaden program nie może otworzyć:\n{0}", "No program can open:\n{0}"},
    // Added: the summary's filter.
    {"Tylko błędne", "Failed only"},
    // Added: counts in the status line.
    {"pominięto: {0}", "skipped: {0}"},
    {"błędy: {0}", "failed: {0}"},
    // Added: the main window's choice of a folder's files, and of its subfolders' too.
    {"Wybierz katalog...", "Choose a folder..."},
    {"Z podkatalogami", "With subfolders"},
    // Added: writing the georeference into the images themselves.
    {"Zapisz georeferencję w samych obrazach (bez kopii)",
     "Write the georeference into the images themselves (no copy)"},
    {"Uwaga: obrazy zostaną zmienione.", "Warning: the images will be changed."},
}};

template <std::size_t N>
std::string LookUp(const std::array<TextPair, N>& table, std::int16_t number,
                   const std::string& language) {
    if (number < 0 || static_cast<std::size_t>(number) >= N) {
        return {};
    }
    const TextPair& pair = table[static_cast<std::size_t>(number)];
    const char* text = nullptr;
    if (language == "polski") {
        text = pair.polish;
    } else if (language == "english") {
        text = pair.english;
    }
    return text != nullptr ? text : std::string();
}

}  // namespace

std::string Texts::Message(std::int16_t number) const {
    return LookUp(kMessages, number, language_);
}

std::string Texts::Caption(std::int16_t number) const {
    return LookUp(kCaptions, number, language_);
}

namespace {

// Built by appending, marks ({0}, {1}...) looked up in the caption as it stands: a value that
// itself holds a mark is never taken for one.
std::string FilledIn(const std::string& caption, const std::vector<std::string>& values) {
    std::string text;
    for (std::size_t at = 0; at < caption.size();) {
        const std::size_t open = caption.find('{', at);
        const std::size_t close = open == std::string::npos ? open : caption.find('}', open);
        if (close == std::string::npos) {
            text.append(caption, at, std::string::npos);
            break;
        }
        const std::string mark = caption.substr(open + 1, close - open - 1);
        const bool numbered = !mark.empty() && mark.size() < 3 &&
                              mark.find_first_not_of("0123456789") == std::string::npos;
        const std::size_t index = numbered ? std::stoul(mark) : values.size();
        text.append(caption, at, open - at);
        if (index < values.size()) {
            text.append(values[index]);
        } else {
            text.append(caption, open, close + 1 - open);
        }
        at = close + 1;
    }
    return text;
}

// Which of a counting caption's forms a count takes in the language.
std::size_t PluralForm(std::size_t count, const std::string& language) {
    if (language != "polski") {
        return count == 1 ? 0 : 1;
    }
    const std::size_t units = count % 10;
    const std::size_t tens = count % 100;
    if (count == 1) {
        return 0;
    }
    return units >= 2 && units <= 4 && (tens < 12 || tens > 14) ? 1 : 2;
}

}  // namespace

std::string Texts::CaptionWith(std::int16_t number, const std::vector<std::string>& values) const {
    return FilledIn(Caption(number), values);
}

std::string Texts::CaptionCounting(std::int16_t number, std::size_t count,
                                   const std::vector<std::string>& values) const {
    const std::string forms = Caption(number);
    std::size_t begin = 0;
    for (std::size_t form = PluralForm(count, language_); form > 0; --form) {
        const std::size_t bar = forms.find('|', begin);
        if (bar == std::string::npos) {
            break;  // fewer forms than the language has: the last one stands for the rest
        }
        begin = bar + 1;
    }
    std::vector<std::string> all{std::to_string(count)};
    all.insert(all.end(), values.begin(), values.end());
    return FilledIn(forms.substr(begin, forms.find('|', begin) - begin), all);
}

std::string Texts::MessageWithPath(std::int16_t number, const std::string& path,
                                   const char* lineBreak) const {
    return Message(number) + lineBreak + path;
}

}  // namespace marlo
