#pragma once
// The CUPS queues as printers, through libcups.
//
// A queue's papers are its media (from its PPD or its IPP media list) in the server's order: a
// medium of the paper table's size takes the table's id and name, the others take ids from 257 on
// and the server's name. The printable area follows the medium's margins. A job is drawn into a
// PDF file of our own, its copies in the file, and sent to the queue when it ends; a queue that is
// stopped, refuses jobs or cannot be reached fails the job with a message for the user, and so
// does a job that the server stops, cancels or aborts within seconds of taking it.
#include "widgets/Uprintersupport.h"

#include <memory>
#include <vector>

// The queues of the print server libcups is pointed at (CUPS_SERVER, the client configuration or
// the local server), in the server's order; defaultIndex receives the default queue's index, or
// -1 when there is none. A server that cannot be reached has no queues.
std::vector<std::unique_ptr<TPrinterDevice>> CupsPrinterDevices(int& defaultIndex);
