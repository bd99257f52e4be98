#include "principalconta/windows/tfprincipalconta.h"

#include "base/text.h"
#include "ctrlaccesoconta/error_messages.h"
#include "ctrlaccesoconta/windows/tfacceso.h"
#include "principalconta/componentes.h"
#include "principalconta/data_error_dialogs.h"
#include "principalconta/date_range.h"
#include "principalconta/targets_editor.h"
#include "principalconta/transmission/transmission.h"
#include "principalconta/unattended.h"
#include "principalconta/window_actions.h"
#include "principalconta/windows/caption_panel.h"
#include "principalconta/windows/data_grid.h"
#include "principalconta/windows/date_editor.h"
#include "principalconta/windows/lookup_combo_box.h"
#include "principalconta/windows/navigator.h"
#include "principalconta/windows/row_store_model.h"
#include "principalconta/windows/targets_menu.h"
#include "settings/clock.h"
#include "ui/qt/glyphs.h"
#include "ui/qt/panel_progress.h"
#include "ui/qt/text.h"

#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QGraphicsDropShadowEffect>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace kalvora {

namespace {

constexpr int kColumnWidth = 281;
constexpr int kBottomBarHeight = 42;
constexpr QSize kWindowSize(697, 303);
constexpr QSize kEditorSize(489, 257);
constexpr int kTargetsGridHeight = 89;
// Rows each editor grid shows whole, without scrolling.
constexpr int kRowsAlwaysShown = 3;
constexpr int kEditorLeft = 96;
constexpr QSize kProgressSize(273, 57);

QDate toQDate(const Date& d) { return QDate(d.year, d.month, d.day); }

Date toDate(const QDate& d) { return {d.year(), d.month(), d.day()}; }

QDateTime toQDateTime(const Timestamp& t)
{
    return QDateTime(toQDate(t.date), QTime(t.time.hour, t.time.minute, t.time.second, t.time.fraction / 10));
}

QPushButton* glowButton(Glyph glyph, const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(glyphIcon(glyph), caption, parent);
    b->setIconSize(QSize(18, 18));
    b->setMinimumHeight(28);
    b->setAutoDefault(false);
    return b;
}

// The panels laid over the window stand out from it.
QGraphicsDropShadowEffect* shadow(QWidget* panel)
{
    auto* effect = new QGraphicsDropShadowEffect(panel);
    effect->setBlurRadius(16);
    effect->setOffset(2, 3);
    effect->setColor(QColor(0, 0, 0, 110));
    return effect;
}

void describe(QWidget* control, const QString& name, const QString& description)
{
    control->setAccessibleName(name);
    control->setAccessibleDescription(description);
}

void follow(QWidget* control, const ActionState& state)
{
    control->setEnabled(state.enabled);
    control->setToolTip(toQString(state.whyNot));
}

QLabel* heading(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

}  // namespace

// The window's controls and buttons as the unattended run works them: errors are not
// caught here, so that the first one ends the sequence.
class Tfprincipalconta::Steps : public UnattendedSteps {
public:
    explicit Steps(Tfprincipalconta& w) : w_(w) {}

    void signIn(const std::string& servidor, const std::string& usuario, const std::string& clave) override
    {
        Tfacceso& dialog = *w_.acceso_;
        dialog.ServidorDes->setEditText(toQString(servidor));
        dialog.TUsuades->setText(toQString(usuario));
        dialog.TClavedes->setText(toQString(clave));
        dialog.signInAttempt();
    }
    void showServer() override { w_.showServer(w_.c_.servidor_sesion); }
    void chooseCompany(const std::string& code) override { w_.LCiaDes->setKeyValue(code); }
    void connect() override { w_.connectDestination(); }
    void setDateRange(const Date& desde, const Date& hasta) override
    {
        w_.Fecini->setDate(toQDate(desde));
        w_.Fecfin->setDate(toQDate(hasta));
    }
    void send() override { w_.send(); }

private:
    Tfprincipalconta& w_;
};

Tfprincipalconta::Tfprincipalconta(Componentes& componentes, Dialogs& dialogs, std::vector<std::string> arguments,
                                   QWidget* parent)
    : QMainWindow(parent), c_(componentes), dialogs_(dialogs), arguments_(std::move(arguments)),
      destination_(componentes)
{
    setWindowTitle(QStringLiteral("Envío de información"));
    setWindowIcon(glyphIcon(Glyph::Send));

    auto* central = new QWidget(this);
    setCentralWidget(central);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel1 = new QWidget(central);
    auto* columns = new QHBoxLayout(Panel1);
    columns->setContentsMargins(12, 10, 12, 8);
    columns->setSpacing(16);
    auto* left = new QWidget(Panel1);
    auto* right = new QWidget(Panel1);
    buildLeftColumn(left);
    buildRightColumn(right);
    // Both columns grow with the window, in the designed proportions.
    const QMargins margins = columns->contentsMargins();
    columns->addWidget(left, kColumnWidth);
    columns->addWidget(right,
                       kWindowSize.width() - margins.left() - margins.right() - columns->spacing() - kColumnWidth);
    layout->addWidget(Panel1, 1);

    Panel2 = new QFrame(central);
    buildBottomBar(Panel2);
    layout->addWidget(Panel2);

    buildOverlays(central);
    targetsMenu = new TargetsMenu(*DBGridEh1, c_, dialogs_, *progress_, [this] {
        return RunInput{fromQString(LCiaDes->currentText()), toDate(Fecini->date()), toDate(Fecfin->date())};
    });

    DBNavigator1->serve(*DBGridEh1);
    DBNavigator2->serve(*DBGridEh2);
    DBNavigator3->serve(*DBGridEh3);
    DBNavigator4->serve(*DBGridEh4);
    describeControls();

    setTabOrder(Fecini, Fecfin);
    setTabOrder(Fecfin, LCiaDes);
    setTabOrder(LCiaDes, SerDes1);
    setTabOrder(SerDes1, DBGridEh1);
    setTabOrder(DBGridEh1, DBNavigator1);
    setTabOrder(DBNavigator1, AdvGlowButton1);
    setTabOrder(AdvGlowButton1, DBGridEh2);
    setTabOrder(DBGridEh2, DBNavigator2);
    setTabOrder(DBNavigator2, AdvGlowButton2);
    setTabOrder(AdvGlowButton2, SpeedButton1);
    setTabOrder(SpeedButton1, SpeedButton2);

    connect(SerDes1, &QLineEdit::textChanged, this, &Tfprincipalconta::SerDes1Change);
    connect(AdvGlowButton2, &QPushButton::clicked, this, &Tfprincipalconta::AdvGlowButton2Click);
    connect(AdvGlowButton1, &QPushButton::clicked, this, &Tfprincipalconta::AdvGlowButton1Click);
    connect(AdvGlowButton3, &QPushButton::clicked, this, &Tfprincipalconta::AdvGlowButton3Click);
    connect(AdvGlowButton4, &QPushButton::clicked, this, &Tfprincipalconta::AdvGlowButton4Click);
    connect(SpeedButton1, &QPushButton::clicked, this, &Tfprincipalconta::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &Tfprincipalconta::SpeedButton2Click);
    connect(LCiaDes, &QComboBox::currentIndexChanged, this, &Tfprincipalconta::followState);
    followState();

    // The editor ends above the bottom bar, as designed.
    setMinimumHeight(AdvPanel1->height() + kBottomBarHeight + 4);
    resize(kWindowSize.expandedTo(minimumSizeHint()));
    runGuarded(dialogs_, [this] { FormCreate(); });
}

Tfprincipalconta::~Tfprincipalconta() = default;

Tfacceso* Tfprincipalconta::acceso() const { return acceso_; }

void Tfprincipalconta::buildLeftColumn(QWidget* parent)
{
    auto* column = new QVBoxLayout(parent);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);

    Label2 = heading(QStringLiteral("Compañía Destino:"), parent);
    SerDes1 = new QLineEdit(parent);
    SerDes1->setReadOnly(true);
    SerDes1->setMinimumWidth(kColumnWidth);
    SerDes1->setStyleSheet(QStringLiteral("QLineEdit { background: palette(window); }"));
    LCiaDes = new LookupComboBox(parent);
    LCiaDes->setMinimumWidth(kColumnWidth);

    AdvGlowButton2 = glowButton(Glyph::Connect, QStringLiteral("&Conectar"), parent);
    AdvGlowButton1 = glowButton(Glyph::Configure, QStringLiteral("Con&figurar"), parent);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    buttons->addWidget(AdvGlowButton2, 1);
    buttons->addWidget(AdvGlowButton1, 1);

    RngFechas = new QGroupBox(QStringLiteral("Rango de fechas de registro"), parent);
    Label3 = new QLabel(QStringLiteral("Desde:"), RngFechas);
    Fecini = new DateEditor(RngFechas);
    Label4 = new QLabel(QStringLiteral("Hasta:"), RngFechas);
    Fecfin = new DateEditor(RngFechas);
    auto* dates = new QGridLayout(RngFechas);
    dates->setContentsMargins(12, 8, 12, 10);
    dates->setHorizontalSpacing(10);
    dates->setVerticalSpacing(6);
    dates->addWidget(Label3, 0, 0);
    dates->addWidget(Fecini, 0, 1);
    dates->addWidget(Label4, 1, 0);
    dates->addWidget(Fecfin, 1, 1);
    dates->setColumnStretch(2, 1);

    column->addWidget(Label2);
    column->addWidget(SerDes1);
    column->addWidget(LCiaDes);
    column->addSpacing(2);
    column->addLayout(buttons);
    column->addSpacing(4);
    column->addWidget(RngFechas);
    column->addStretch();
    parent->setMinimumWidth(kColumnWidth);
}

void Tfprincipalconta::buildRightColumn(QWidget* parent)
{
    auto* column = new QVBoxLayout(parent);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);

    auto* targets = new RowStoreModel(c_.Creplicac,
                                      {{"RPCO_ID", 30, QStringLiteral("Cód")},
                                       {"RPCO_NOMBRE", 250, QStringLiteral("Nombre")},
                                       {"RPCO_SERVIDOR", 200, QStringLiteral("Servidor")},
                                       {"RPCO_COD", 35, QStringLiteral("Cia")}},
                                      dialogs_, false, this);
    auto* prefixes = new RowStoreModel(
        c_.CReplicadet, {{"RPCD_ITEM", 50, QStringLiteral("Item")}, {"RPCD_PREF", 50, QStringLiteral("Prefijo")}},
        dialogs_, false, this);

    Label1 = heading(QStringLiteral("Compañías de Origen:"), parent);
    DBGridEh1 = new DataGrid(*targets, parent);
    DBGridEh1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGridEh1->setMinimumSize(353, 89);
    DBNavigator1 = new Navigator(c_.Creplicac, dialogs_, false, parent);
    DBGridEh2 = new DataGrid(*prefixes, parent);
    DBGridEh2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGridEh2->setMinimumHeight(60);
    DBNavigator2 = new Navigator(c_.CReplicadet, dialogs_, false, parent);

    column->addWidget(Label1);
    column->addWidget(DBGridEh1, 3);
    column->addWidget(DBNavigator1);
    column->addSpacing(2);
    column->addWidget(DBGridEh2, 2);
    column->addWidget(DBNavigator2);
}

void Tfprincipalconta::buildBottomBar(QWidget* parent)
{
    Panel2->setFixedHeight(kBottomBarHeight);
    Panel2->setFrameShape(QFrame::NoFrame);
    Panel2->setAutoFillBackground(true);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setStyleSheet(QStringLiteral("QFrame#Panel2 { border-top: 1px solid palette(mid);"
                                         " background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
                                         " stop:0 palette(window), stop:1 palette(midlight)); }"));
    auto* bar = new QHBoxLayout(parent);
    bar->setContentsMargins(12, 6, 12, 6);
    bar->setSpacing(8);
    SpeedButton1 = glowButton(Glyph::Send, QStringLiteral("&Enviar"), parent);
    SpeedButton2 = glowButton(Glyph::Exit, QStringLiteral("&Salir"), parent);
    SpeedButton1->setMinimumWidth(110);
    SpeedButton2->setMinimumWidth(110);
    Label5 = new QLabel(QStringLiteral("Rev:2015/06/07"), parent);
    Label5->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont narrow(QStringLiteral("Arial Narrow"));
    narrow.setPointSizeF(Label5->font().pointSizeF());
    Label5->setFont(narrow);
    Label5->setStyleSheet(QStringLiteral("QLabel { color: palette(dark); }"));
    bar->addWidget(SpeedButton1);
    bar->addWidget(SpeedButton2);
    bar->addStretch();
    bar->addWidget(Label5);
}

void Tfprincipalconta::buildOverlays(QWidget* parent)
{
    Panel4 = new QFrame(parent);
    Panel4->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel4->setAutoFillBackground(true);
    Panel4->setGraphicsEffect(shadow(Panel4));
    Label6 = new QLabel(QStringLiteral("Copiando información. Espere un momento..."), Panel4);
    // The panel's own caption, under the notice: the target being transmitted.
    Panel4Caption = new QLabel(Panel4);
    Panel4Caption->setMinimumHeight(Panel4Caption->fontMetrics().height());
    QFont bold = Panel4Caption->font();
    bold.setBold(true);
    Panel4Caption->setFont(bold);
    ProgressBar1 = new QProgressBar(Panel4);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFixedHeight(16);
    auto* progress = new QVBoxLayout(Panel4);
    progress->setContentsMargins(10, 6, 10, 8);
    progress->setSpacing(4);
    progress->addWidget(Label6);
    progress->addWidget(Panel4Caption);
    progress->addWidget(ProgressBar1);
    // Wide enough for the whole notice, whatever the font.
    Panel4->setMinimumSize(kProgressSize.expandedTo(Panel4->sizeHint()));
    Panel4->resize(Panel4->minimumSize());
    Panel4->hide();
    progress_ = std::make_unique<PanelProgress>(*Panel4, *Panel4Caption, *ProgressBar1);

    AdvPanel1 = new CaptionPanel(QStringLiteral("Compañías a transmitir"), parent);
    AdvPanel1->setGraphicsEffect(shadow(AdvPanel1));
    auto* targets = new RowStoreModel(c_.Creplicac,
                                      {{"RPCO_ID", 30, QStringLiteral("Cód")},
                                       {"RPCO_NOMBRE", 150, QStringLiteral("Nombre")},
                                       {"RPCO_SERVIDOR", 150, QStringLiteral("Servidor")},
                                       {"RPCO_COD", 35, QStringLiteral("Cia")}},
                                      dialogs_, true, this);
    auto* prefixes = new RowStoreModel(
        c_.CReplicadet, {{"RPCD_ITEM", 50, QStringLiteral("Item")}, {"RPCD_PREF", 50, QStringLiteral("Prefijo")}},
        dialogs_, true, this);
    DBGridEh3 = new DataGrid(*targets, AdvPanel1);
    DBGridEh3->setFixedHeight(std::max(kTargetsGridHeight, DBGridEh3->heightForRows(kRowsAlwaysShown)));
    DBNavigator3 = new Navigator(c_.Creplicac, dialogs_, true, AdvPanel1);
    DBGridEh4 = new DataGrid(*prefixes, AdvPanel1);
    DBGridEh4->setMinimumHeight(DBGridEh4->heightForRows(kRowsAlwaysShown));
    DBNavigator4 = new Navigator(c_.CReplicadet, dialogs_, true, AdvPanel1);

    Panel3 = new QFrame(AdvPanel1);
    Panel3->setFixedHeight(27 + 8);
    AdvGlowButton3 = glowButton(Glyph::Save, QStringLiteral("&Grabar"), Panel3);
    // Alt+S is the window's own "Salir".
    AdvGlowButton4 = glowButton(Glyph::Exit, QStringLiteral("Sa&lir"), Panel3);
    AdvGlowButton3->setMinimumWidth(96);
    AdvGlowButton4->setMinimumWidth(96);
    auto* buttons = new QHBoxLayout(Panel3);
    buttons->setContentsMargins(0, 4, 0, 0);
    buttons->addWidget(AdvGlowButton3);
    buttons->addStretch();
    buttons->addWidget(AdvGlowButton4);

    auto* editor = new QVBoxLayout(AdvPanel1);
    editor->setContentsMargins(8, 6, 8, 6);
    editor->setSpacing(3);
    editor->addWidget(DBGridEh3);
    editor->addWidget(DBNavigator3);
    editor->addWidget(DBGridEh4, 1);
    editor->addWidget(DBNavigator4);
    editor->addWidget(Panel3);
    // Taller than designed where the font needs it, so that no row hides under a navigator.
    AdvPanel1->setFixedSize(kEditorSize.expandedTo(AdvPanel1->minimumSizeHint()));
    AdvPanel1->hide();
}

void Tfprincipalconta::describeControls()
{
    describe(SerDes1, QStringLiteral("Servidor destino"), QStringLiteral("El servidor escogido al ingresar"));
    describe(LCiaDes, QStringLiteral("Compañía destino"),
             QStringLiteral("La compañía que recibe la información; escriba su código o su nombre para buscarla"));
    describe(AdvGlowButton2, QStringLiteral("Conectar"),
             QStringLiteral("Abre la compañía destino y carga sus compañías de origen"));
    describe(AdvGlowButton1, QStringLiteral("Configurar"), QStringLiteral("Edita las compañías de origen"));
    describe(RngFechas, QStringLiteral("Rango de fechas de registro"),
             QStringLiteral("Las entradas registradas en estas fechas son las que se envían"));
    describe(Fecini, QStringLiteral("Desde"), QStringLiteral("Primer día del rango de fechas de registro"));
    describe(Fecfin, QStringLiteral("Hasta"), QStringLiteral("Último día del rango de fechas de registro"));
    describe(DBGridEh1, QStringLiteral("Compañías de origen"),
             QStringLiteral("Las compañías de las que se envía la información; menú contextual con Mayús+F10"));
    describe(DBNavigator1, QStringLiteral("Navegador de las compañías de origen"),
             QStringLiteral("Flechas izquierda y derecha para escoger el botón, espacio para pulsarlo"));
    describe(DBGridEh2, QStringLiteral("Prefijos de la compañía de origen"),
             QStringLiteral("Los prefijos de comprobante que se toman de la compañía de origen actual"));
    describe(DBNavigator2, QStringLiteral("Navegador de los prefijos"),
             QStringLiteral("Flechas izquierda y derecha para escoger el botón, espacio para pulsarlo"));
    describe(SpeedButton1, QStringLiteral("Enviar"),
             QStringLiteral("Envía las entradas del rango de fechas a la compañía destino"));
    describe(SpeedButton2, QStringLiteral("Salir"), QStringLiteral("Termina el programa"));
    describe(Label5, QStringLiteral("Revisión"), QStringLiteral("Revisión del programa"));
    describe(Panel4, QStringLiteral("Progreso del envío"), Label6->text());
    describe(ProgressBar1, QStringLiteral("Avance"), QStringLiteral("Avance del envío de la compañía de origen"));
    describe(AdvPanel1, QStringLiteral("Compañías a transmitir"),
             QStringLiteral("Editor de las compañías de origen y sus prefijos"));
    describe(DBGridEh3, QStringLiteral("Compañías de origen en edición"),
             QStringLiteral("Insert agrega una fila, Ctrl+Supr la borra"));
    describe(DBNavigator3, QStringLiteral("Navegador de edición de las compañías de origen"),
             QStringLiteral("Flechas izquierda y derecha para escoger el botón, espacio para pulsarlo"));
    describe(DBGridEh4, QStringLiteral("Prefijos en edición"),
             QStringLiteral("Insert agrega una fila, Ctrl+Supr la borra"));
    describe(DBNavigator4, QStringLiteral("Navegador de edición de los prefijos"),
             QStringLiteral("Flechas izquierda y derecha para escoger el botón, espacio para pulsarlo"));
    describe(AdvGlowButton3, QStringLiteral("Grabar"), QStringLiteral("Guarda los cambios y cierra el editor"));
    describe(AdvGlowButton4, QStringLiteral("Salir del editor"),
             QStringLiteral("Descarta los cambios y cierra el editor"));
    Label3->setBuddy(Fecini);
    Label4->setBuddy(Fecfin);
}

void Tfprincipalconta::followState()
{
    const bool chosen = LCiaDes->currentIndex() >= 0;
    const bool loaded = chosen && !loadedCompany_.empty() && loadedCompany_ == LCiaDes->keyValue() &&
                        c_.DBEnvio.connected() && c_.Creplicac.active();
    const WindowActions actions = windowActions(chosen, loaded);
    follow(AdvGlowButton2, actions.conectar);
    follow(SpeedButton1, actions.targets);
    follow(AdvGlowButton1, actions.targets);
    targetsMenu->allow(actions.targets.enabled, toQString(actions.targets.whyNot));
}

void Tfprincipalconta::placeOverlays()
{
    const QRect area = centralWidget()->rect();
    AdvPanel1->move(kEditorLeft, 0);
    Panel4->move(area.center() - Panel4->rect().center());
}

void Tfprincipalconta::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    placeOverlays();
}

void Tfprincipalconta::FormCreate()
{
    ConfigurarProviders(c_, dialogs_);
    primera_activacion = true;
    const DateRange month = monthOf(now().date);
    Fecini->setDateTime(toQDateTime(month.desde));
    Fecfin->setDateTime(toQDateTime(month.hasta));
}

void Tfprincipalconta::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && primera_activacion)
        QTimer::singleShot(0, this, &Tfprincipalconta::FormActivate);
}

void Tfprincipalconta::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    placeOverlays();
    // Some window systems never activate a new window; showing it counts as its first activation.
    if (primera_activacion)
        QTimer::singleShot(0, this, &Tfprincipalconta::FormActivate);
}

void Tfprincipalconta::FormActivate()
{
    if (!primera_activacion)
        return;
    primera_activacion = false;
    acceso_ = new Tfacceso(c_, dialogs_, this);
    if (const auto arguments = unattendedArguments(arguments_)) {
        runGuarded(dialogs_, [&] {
            Steps steps(*this);
            runUnattended(*arguments, steps);
        });
        return;
    }
    startInteractive();
}

void Tfprincipalconta::startInteractive()
{
    connect(acceso_, &QDialog::finished, this, [this](int result) {
        runGuarded(dialogs_, [&] {
            if (result == QDialog::Accepted)
                SerDes1->setText(toQString(c_.servidor_sesion));
            else
                close();
        });
    });
    acceso_->setModal(true);
    acceso_->show();
}

void Tfprincipalconta::SerDes1Change()
{
    runGuarded(dialogs_, [this] { listCompanies(); });
}

void Tfprincipalconta::listCompanies()
{
    LCiaDes->setCompanies(destination_.SerDes1Change());
    followState();
}

void Tfprincipalconta::showServer(const std::string& entry)
{
    const QString text = toQString(entry);
    if (SerDes1->text() == text)
        return;
    // The change is handled here, not by the guarded slot, so that its error ends the caller.
    const QSignalBlocker quiet(SerDes1);
    SerDes1->setText(text);
    listCompanies();
}

void Tfprincipalconta::AdvGlowButton2Click()
{
    runGuarded(dialogs_, [this] { connectDestination(); });
    followState();
}

void Tfprincipalconta::connectDestination()
{
    loadedCompany_.clear();
    destination_.AdvGlowButton2Click(LCiaDes->keyValue());
    loadedCompany_ = LCiaDes->keyValue();
    followState();
}

void Tfprincipalconta::AdvGlowButton1Click()
{
    AdvPanel1->show();
    AdvPanel1->raise();
    DBGridEh3->setFocus(Qt::OtherFocusReason);
}

void Tfprincipalconta::AdvGlowButton3Click()
{
    DBGridEh3->commitPendingEdit();
    DBGridEh4->commitPendingEdit();
    runGuarded(dialogs_, [this] {
        kalvora::AdvGlowButton3Click(c_);
        AdvPanel1->hide();
    });
}

void Tfprincipalconta::AdvGlowButton4Click()
{
    const bool typing = DBGridEh3->hasPendingEdit() || DBGridEh4->hasPendingEdit();
    if ((typing || hasUnsavedChanges(c_)) && !dialogs_.ask(ansi("¿Descartar los cambios?")))
        return;
    DBGridEh3->discardPendingEdit();
    DBGridEh4->discardPendingEdit();
    runGuarded(dialogs_, [this] {
        kalvora::AdvGlowButton4Click(c_);
        AdvPanel1->hide();
    });
}

void Tfprincipalconta::SpeedButton1Click()
{
    runGuarded(dialogs_, [this] { send(); });
}

void Tfprincipalconta::send()
{
    // However the run ends, its panel goes, before any box tells why.
    struct HideAtEnd {
        PanelProgress& progress;
        ~HideAtEnd() { progress.hide(); }
    } hideAtEnd{*progress_};
    const TransmissionSummary summary = kalvora::SpeedButton1Click(
        c_, dialogs_, *progress_, fromQString(LCiaDes->currentText()), toDate(Fecini->date()), toDate(Fecfin->date()));
    if (summary.concluded || summary.interrupted)
        close();
}

void Tfprincipalconta::SpeedButton2Click() { close(); }

}  // namespace kalvora
