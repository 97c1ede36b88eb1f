#pragma once

#include <QIODevice>

#include "platform/CSafeFile.h"

// A write-only device over the safe writer, for the writers that want a QIODevice (PDF
// pages, PNG rows, SVG text): what they write lands in the new file beside the target, and
// only Commit puts it in the target's place. A device destroyed without a successful
// Commit leaves the target as it was and no new file behind.
class CSafeFileDevice : public QIODevice {
 public:
  explicit CSafeFileDevice(const QString& strTarget) : m_file(strTarget) {}

  // Opens the new file; false with the reason in errorString().
  bool Open();
  bool Commit();
  // The reason of the first failure.
  QString Reason() const { return m_file.Reason(); }

  bool isSequential() const override { return true; }

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* pData, qint64 nLength) override;

 private:
  CSafeFile m_file;
};
