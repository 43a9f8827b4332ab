#include "SaveFormat.h"

#include "WSystem.h"

const SaveFormat SaveFormat::gif = {"GIF-Dateien\0*.gif\0",
                                    "gif",
                                    "Als GIF speichern",
                                    {"gif", nullptr},
                                    "Unbekannte Dateiendung.\r\n*.gif erlaubt."};
const SaveFormat SaveFormat::jpeg = {"JPG-Dateien\0*.jpg\0",
                                     "jpg",
                                     "Als JPG speichern",
                                     {"jpg", "jpeg"},
                                     "Unbekannte Dateiendung.\r\n*.jpg erlaubt."};
const SaveFormat SaveFormat::emf = {"EMF-Dateien\0*.emf\0",
                                    "emf",
                                    "Als EMF speichern",
                                    {"emf", nullptr},
                                    "Unbekannte Dateiendung.\r\n*.emf erlaubt."};
const SaveFormat SaveFormat::png = {"PNG-Dateien\0*.png\0",
                                    "png",
                                    "Als PNG speichern",
                                    {"png", nullptr},
                                    "Unbekannte Dateiendung.\r\n*.png erlaubt."};
const SaveFormat SaveFormat::csv = {"CSV-Dateien\0*.csv\0",
                                    "csv",
                                    "Karte als Tabelle exportieren",
                                    {"csv", nullptr},
                                    "Unbekannte Dateiendung.\r\n*.csv erlaubt."};

bool SaveFormat::completeFileName(WString& name) const
{
    // Windows drops the dots at the end of a file name: "karte." would be
    // saved as "karte" without an extension, or with one added as "karte..gif".
    WString completed(name);
    while (completed.length() > 0 && completed[completed.length() - 1] == '.')
        completed.truncate(completed.length() - 1);
    // A dot in a folder's name ("C:\Karten.alt\karte") is no extension.
    WString fileName;
    WSystem::extractPath(completed, fileName, true);
    WString extension;
    if (fileName.indexOf(".") >= 0)
        WSystem::extractFileExtension(fileName, extension);
    if (extension.length() == 0) {
        completed.append(".");
        completed.append(defaultExtension);
        name = completed;
        return true;
    }
    extension.toLowerCase();
    for (const char* ending : accepted) {
        if (ending != nullptr && extension.equals(ending)) {
            name = completed;
            return true;
        }
    }
    return false;
}
