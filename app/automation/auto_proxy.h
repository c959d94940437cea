// The automation object: it exists only to let a client start the program
// and hold it open. It and the dialog point at each other.
#pragma once

class COrvaneDlg;

class COrvaneDlgAutoProxy {
 public:
  // The dialog this object belongs to; null once that dialog is gone.
  COrvaneDlg* m_pOwner = nullptr;
};
