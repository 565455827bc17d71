// The programs' names, titles and version and their maker's addresses: the one place the programs name them.
#include "core/program_info.h"

#include <array>

namespace qx {

QString programTitle() {
    return QStringLiteral("Quadrantix");
}

QVersionNumber programVersion() {
    return QVersionNumber(QX_VERSION_MAJOR, QX_VERSION_MINOR, QX_VERSION_PATCH);
}

QString makerName() {
    return programTitle();
}

QUrl makerSite() {
    return QUrl(QStringLiteral("https://quadrantix.org"));
}

QString makerMail() {
    return QStringLiteral("dono@quadrantix.org");
}

const ProgramInfo& programInfo(ProgramId id) {
    static const std::array<ProgramInfo, 3> programs{{
        {ProgramId::Quadrantix, "quadrantix", programTitle(),
         QStringLiteral("Orologio da scrivania: quattro quadranti, rintocchi, Big Ben a mezzogiorno, sveglia,\n"
                        "cronometro e conto alla rovescia. Le impostazioni si cambiano dal menu del quadrante\n"
                        "(tasto destro, \"Opzioni\"). Se l'orologio è già aperto, lo porta in primo piano."),
         true, true},
        {ProgramId::Quadrasogno, "quadrasogno", QStringLiteral("Quadrasogno"),
         QStringLiteral("Salvaschermo di Quadrantix: mostra a tutto schermo il quadrante scelto dall'orologio\n"
                        "finché non si preme un tasto o si muove il mouse."),
         true, true},
        {ProgramId::Horacumul, "horacumul", QStringLiteral("Horacumul"),
         QStringLiteral("Resta nascosto per tutta la sessione e somma il tempo di funzionamento del computer\n"
                        "al totale di vita che Quadrantix mostra. Viene avviato all'accesso."),
         false, false},
    }};
    return programs[static_cast<std::size_t>(id)];
}

} // namespace qx
