#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include "app/team_name_form.h"

namespace vel {

// The team-name row of the team window and of the registration, in this
// order: the name's edit, "중복확인", "재입력" and the button that sends the
// name. Check and edit-again run the form's handlers; the window connects
// the send button to its own handler, which calls Send.
class TeamNameRow : public QWidget {
 public:
  // The resource ids of the four controls.
  struct Ids {
    int edit;
    int check;
    int editAgain;
    int send;
  };

  TeamNameRow(TeamNameForm& form, const Ids& ids, const QString& sendCaption,
              QWidget* parent = nullptr);

  QLineEdit* Edit() const { return edit_; }
  QPushButton* SendButton() const { return send_; }

  // Sends the name in the edit; true when the team took it.
  bool Send();

 private:
  // Enables the controls of the form's state.
  void ShowState();

  TeamNameForm& form_;
  QLineEdit* edit_;
  QPushButton* check_;
  QPushButton* editAgain_;
  QPushButton* send_;
};

}  // namespace vel
