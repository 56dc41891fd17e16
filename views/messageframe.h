#pragma once

// One row of the conversation list: the name (or number), the time and the
// latest text of one conversation, with the minus and "Delete" buttons of
// edit mode. The row keeps the conversation's address, which it reports on
// click and on delete.

#include <QFrame>

#include <memory>

namespace Ui {
class messageframe;
}

class messageframe : public QFrame
{
    Q_OBJECT
public:
    explicit messageframe(QWidget* parent = nullptr);
    ~messageframe() override;

    void setPhoneNumber(const QString& value) { phoneNumber = value; }
    QString number() const { return phoneNumber; }
    void setContents(const QString& name, const QString& timeText, const QString& text);
    void resetMinusButton();
    bool isDeleteOffered() const { return deleteOffered; }

signals:
    void selClicked(QString id);
    void sendDeletePerson(QString Tel, messageframe* row);

public slots:
    void deleteButtonState(bool b);

private slots:
    void on_toolButton_2_clicked();
    void on_toolButton110_clicked();

protected:
    bool event(QEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void setMinusLook(const QString& name);

    std::unique_ptr<Ui::messageframe> ui;
    bool deleteOffered = false;
    QString phoneNumber;
};
