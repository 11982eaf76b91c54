// The view's home URL, taken from every vexost: URL the view completes: the
// archive part of the URL, without the topic.
//   vexost://Manual/intro/page.htm             -> vexost://Manual
//   vexost://Manual                            -> vexost://Manual
//   vexost://file:/docs/manual.vxb/index.htm   -> vexost://file:/docs/manual.vxb
//   vexost://file:/docs/manual.vxb::/index.htm -> vexost://file:/docs/manual.vxb
#pragma once

#include <string>

// Updates HOME from the completed navigation to URL; HOME stays as it is when URL
// is no vexost: URL or names no archive.
void UpdateHomeUrl(const std::string& url, std::string& home);
