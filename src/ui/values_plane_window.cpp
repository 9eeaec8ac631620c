#include "ui/values_plane_window.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/main_window.h"

namespace zorva {

TformZorvaValuesPlane::TformZorvaValuesPlane(TForm1& main)
    : OptionWindow(main, Window::ValuesPlane, "Values - Plane", 450, kUnfoldedHeight) {
  Settings& s = settings();
  auto real = [&](const char* name, double* setting) {
    ValueField* f = makeField(name, ValueKind::Real, setting);
    f->setDraggable(false);
    f->setFixedWidth(74);
    return f;
  };
  // The two point groups side by side, the angle below them.
  auto* points = new QHBoxLayout;
  bodyLayout()->addLayout(points);
  // A group with Start and End rows and X and Y columns.
  auto pointGroup = [&](const char* title, ValueField* startX, ValueField* startY, ValueField* endX, ValueField* endY) {
    auto* box = new QGroupBox(title, body());
    auto* grid = new QGridLayout(box);
    grid->addWidget(new QLabel("X", box), 0, 1, Qt::AlignHCenter);
    grid->addWidget(new QLabel("Y", box), 0, 2, Qt::AlignHCenter);
    grid->addWidget(new QLabel("Start", box), 1, 0);
    grid->addWidget(startX, 1, 1);
    grid->addWidget(startY, 1, 2);
    grid->addWidget(new QLabel("End", box), 2, 0);
    grid->addWidget(endX, 2, 1);
    grid->addWidget(endY, 2, 2);
    points->addWidget(box);
  };

  editPlaneStartTranslationX = real("editPlaneStartTranslationX", &s.PlaneStartTranslationX);
  editPlaneStartTranslationY = real("editPlaneStartTranslationY", &s.PlaneStartTranslationY);
  editPlaneEndTranslationX = real("editPlaneEndTranslationX", &s.PlaneEndTranslationX);
  editPlaneEndTranslationY = real("editPlaneEndTranslationY", &s.PlaneEndTranslationY);
  pointGroup("Translation", editPlaneStartTranslationX, editPlaneStartTranslationY, editPlaneEndTranslationX,
             editPlaneEndTranslationY);

  editPlaneStartRotationX = real("editPlaneStartRotationX", &s.PlaneStartRotationX);
  editPlaneStartRotationY = real("editPlaneStartRotationY", &s.PlaneStartRotationY);
  editPlaneEndRotationX = real("editPlaneEndRotationX", &s.PlaneEndRotationX);
  editPlaneEndRotationY = real("editPlaneEndRotationY", &s.PlaneEndRotationY);
  pointGroup("Center of Rotation", editPlaneStartRotationX, editPlaneStartRotationY, editPlaneEndRotationX,
             editPlaneEndRotationY);

  editPlaneStartRotationAngle = real("editPlaneStartRotationAngle", &s.PlaneStartRotationAngle);
  editPlaneEndRotationAngle = real("editPlaneEndRotationAngle", &s.PlaneEndRotationAngle);
  auto* angle = new QGroupBox("Angle of Rotation", body());
  auto* grid = new QGridLayout(angle);
  grid->addWidget(new QLabel("Start", angle), 0, 0);
  grid->addWidget(editPlaneStartRotationAngle, 0, 1);
  grid->addWidget(new QLabel("End", angle), 0, 2);
  grid->addWidget(editPlaneEndRotationAngle, 0, 3);
  grid->setColumnStretch(4, 1);
  angle->setToolTip("Degrees");
  bodyLayout()->addWidget(angle);
  bodyLayout()->addStretch(1);
  FormCreate();
}

void TformZorvaValuesPlane::Init() { showFields(); }

}  // namespace zorva
