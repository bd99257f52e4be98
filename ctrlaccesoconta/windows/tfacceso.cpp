#include "ctrlaccesoconta/windows/tfacceso.h"

#include "ctrlaccesoconta/error_messages.h"
#include "ctrlaccesoconta/sign_in.h"
#include "ctrlaccesoconta/windows/title_band.h"
#include "settings/installation.h"
#include "settings/servers.h"
#include "ui/qt/glyphs.h"
#include "ui/qt/text.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace kalvora {

namespace {

// The password box shows a '*' for each character, whatever the platform's habit.
class AsteriskStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

QPushButton* pictureButton(Glyph glyph, const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(glyphIcon(glyph), caption, parent);
    b->setIconSize(QSize(20, 20));
    b->setMinimumHeight(30);
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

Tfacceso::Tfacceso(Componentes& principal, Dialogs& dialogs, QWidget* owner)
    : QDialog(owner), dialogs_(dialogs), signIn_(std::make_unique<SignIn>(principal))
{
    setWindowTitle(QStringLiteral("Control de acceso"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* band = new TitleBand(QStringLiteral("Control de acceso"), QStringLiteral("Envío de información"), this);

    auto* group = new QGroupBox(QStringLiteral("Destino:"), this);
    ServidorDes = new QComboBox(group);
    ServidorDes->setEditable(true);
    ServidorDes->setInsertPolicy(QComboBox::NoInsert);
    ServidorDes->setMinimumWidth(280);
    TUsuades = new QLineEdit(group);
    TClavedes = new QLineEdit(group);
    TClavedes->setEchoMode(QLineEdit::Password);
    auto* asterisks = new AsteriskStyle;
    asterisks->setParent(TClavedes);
    TClavedes->setStyle(asterisks);
    auto* form = new QFormLayout(group);
    form->setContentsMargins(14, 12, 14, 12);
    form->setHorizontalSpacing(10);
    form->setVerticalSpacing(8);
    form->addRow(QStringLiteral("Servidor : "), ServidorDes);
    form->addRow(QStringLiteral("Usuario : "), TUsuades);
    form->addRow(QStringLiteral("Clave : "), TClavedes);
    setTabOrder(ServidorDes, TUsuades);
    setTabOrder(TUsuades, TClavedes);

    // Given its text now, so that showing it later does not resize the dialog.
    Panel2 = new QLabel(QStringLiteral("Conectando con el servidor Destino"), this);
    Panel2->setFrameShape(QFrame::StyledPanel);
    Panel2->setAlignment(Qt::AlignCenter);
    Panel2->setStyleSheet(QStringLiteral("QLabel { background: #fff4c2; color: #5a4300; padding: 4px; }"));
    QSizePolicy keepPlace = Panel2->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    Panel2->setSizePolicy(keepPlace);
    Panel2->hide();

    SpeedButton1 = pictureButton(Glyph::Key, QStringLiteral("F2: &Entrar"), this);
    SpeedButton2 = pictureButton(Glyph::Exit, QStringLiteral("ESC: &Salir"), this);
    connect(SpeedButton1, &QPushButton::clicked, this, &Tfacceso::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &Tfacceso::SpeedButton2Click);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addWidget(Panel2, 1);
    buttons->addWidget(SpeedButton1);
    buttons->addWidget(SpeedButton2);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(14, 12, 14, 14);
    body->setSpacing(10);
    body->addWidget(group);
    body->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(band);
    layout->addLayout(body);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    ServidorDes->setAccessibleName(QStringLiteral("Servidor"));
    ServidorDes->setAccessibleDescription(QStringLiteral("Servidor destino, de la lista de SERVIDORES.cfg"));
    TUsuades->setAccessibleName(QStringLiteral("Usuario"));
    TUsuades->setAccessibleDescription(QStringLiteral("Usuario del servidor destino"));
    TClavedes->setAccessibleName(QStringLiteral("Clave"));
    TClavedes->setAccessibleDescription(QStringLiteral("Clave del usuario"));
    SpeedButton1->setAccessibleName(QStringLiteral("Entrar"));
    SpeedButton1->setAccessibleDescription(QStringLiteral("Ingresa al servidor con el usuario y la clave (F2)"));
    SpeedButton2->setAccessibleName(QStringLiteral("Salir"));
    SpeedButton2->setAccessibleDescription(QStringLiteral("Termina sin ingresar (Esc)"));
    Panel2->setAccessibleName(QStringLiteral("Estado del ingreso"));

    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
    runGuarded(dialogs_, [this] { FormCreate(); });
}

Tfacceso::~Tfacceso() = default;

void Tfacceso::FormCreate()
{
    for (const std::string& entry : readServerList(diraplicacion(dialogs_)))
        ServidorDes->addItem(toQString(entry));
    ServidorDes->setCurrentIndex(ServidorDes->count() > 0 ? 0 : -1);
}

void Tfacceso::SpeedButton1Click()
{
    runGuarded(dialogs_, [this] { signInAttempt(); });
}

void Tfacceso::signInAttempt()
{
    Panel2->setText(QStringLiteral("Conectando con el servidor Destino"));
    Panel2->show();
    repaint();
    try {
        signIn_->attempt(
            {fromQString(ServidorDes->currentText()), fromQString(TUsuades->text()), fromQString(TClavedes->text())});
    } catch (...) {
        // The notice must not go on claiming a connection while the error is read.
        Panel2->hide();
        throw;
    }
    Panel2->hide();
    repaint();
    // Hidden, in the unattended run, the dialog must live on: accepting would close it.
    if (isVisible())
        accept();
    else
        setResult(QDialog::Accepted);
}

void Tfacceso::SpeedButton2Click() { reject(); }

bool Tfacceso::FormKeyDown(QObject* target, QKeyEvent* event)
{
    // A list that is down (the server list) has the keys of its own window: ESC closes
    // the list only.
    if (auto* widget = qobject_cast<QWidget*>(target); widget && widget->window() != this)
        return false;
    const bool held = event->modifiers().testAnyFlags(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    switch (event->key()) {
    case Qt::Key_F2:
        if (!held)
            SpeedButton1Click();
        return true;
    case Qt::Key_Escape:
        if (!held)
            SpeedButton2Click();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        // Enter only moves on, from the password box back to the server box; it never signs in.
        auto* widget = qobject_cast<QWidget*>(target);
        if (widget == TUsuades || widget == TClavedes || widget == ServidorDes || ServidorDes->isAncestorOf(widget))
            focusNextChild();
        return true;
    }
    default:
        return false;
    }
}

bool Tfacceso::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress)
        return FormKeyDown(watched, static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(watched, event);
}

void Tfacceso::keyPressEvent(QKeyEvent* event)
{
    if (!FormKeyDown(this, event))
        QDialog::keyPressEvent(event);
}

void Tfacceso::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        TUsuades->setFocus(Qt::ActiveWindowFocusReason);
}

void Tfacceso::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* desktop = screen())
        move(desktop->availableGeometry().center() - rect().center());
}

}  // namespace kalvora
