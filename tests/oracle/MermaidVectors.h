#pragma once

// Mermaid diagrams that try to run script or fetch from elsewhere, through
// labels, links, callbacks, directives and styles. "HOST" stands for the
// address of a server that counts what reaches it.
namespace MermaidVectors {

inline const char* const diagrams[] = {
    "graph TD\n  A[\"<img src='http://HOST/m1.png' onerror='alert(1)'>\"] --> B",
    "%%{init: {\"securityLevel\":\"loose\"}}%%\ngraph TD\n  A --> B\n  click A call alert(1)",
    "%%{init: {\"securityLevel\":\"loose\"}}%%\ngraph TD\n  A --> B\n  click A callback \"x\"\n  click B alert",
    "graph TD\n  A --> B\n  click A \"javascript:alert(1)\"",
    "graph TD\n  A --> B\n  click B href \"javascript:alert(1)\" \"tip\" _self",
    "graph TD\n  A[\"<script>alert(1)</script>\"] --> B",
    "graph TD\n  A[\"<a href='javascript:alert(1)'>x</a>\"] --> B[\"<b onmouseover='alert(1)'>y</b>\"]",
    "flowchart TD\n  A@{ img: \"http://HOST/m8.png\", label: \"x\", pos: \"t\", w: 60, h: 60 }",
    "%%{init: {\"themeCSS\": \".node rect { fill: url(http://HOST/m9.png) } @import url(http://HOST/m9.css);\"}}%%\n"
    "graph TD\n  A --> B",
    "%%{init: {\"themeVariables\": {\"fontFamily\": \"x;} * { background: url(http://HOST/m10.png) } #q{\"}}}%%\n"
    "graph TD\n  A --> B",
    "%%{init: {\"themeVariables\": {\"primaryColor\": \"url(http://HOST/m11.png)\", \"lineColor\": "
    "\"red;background-image:url(http://HOST/m11b.png)\"}}}%%\ngraph TD\n  A --> B",
    "%%{init: {\"htmlLabels\": true, \"flowchart\": {\"htmlLabels\": true}}}%%\n"
    "graph TD\n  A[\"<img src='http://HOST/m12.png' onerror='alert(1)'>\"] --> B",
    "%%{init: {\"dompurifyConfig\": {\"ADD_TAGS\": [\"script\", \"iframe\"], \"ADD_ATTR\": [\"onerror\", "
    "\"src\"]}}}%%\n"
    "graph TD\n  A[\"<img src=x onerror=alert(1)><iframe src='http://HOST/m13'></iframe>\"] --> B",
    "sequenceDiagram\n  Alice->>Bob: <img src=http://HOST/m14.png onerror=alert(1)>\n"
    "  link Alice: Go @ javascript:alert(1)\n  links Bob: {\"x\": \"javascript:alert(1)\"}",
    "classDiagram\n  class A\n  click A href \"javascript:alert(1)\"\n  link A \"http://HOST/m15\"\n"
    "  callback A \"alert\"",
    "graph TD\n  A --> B\n  style A fill:url(http://HOST/m16.png),stroke:#f00\n"
    "  classDef c background:url(http://HOST/m16b.png)\n  class B c",
    "stateDiagram-v2\n  [*] --> S\n  S: <svg onload=alert(1)></svg>\n  note right of S : <img src=http://HOST/m17.png>",
    "erDiagram\n  A ||--o{ B : \"<img src=http://HOST/m18.png onerror=alert(1)>\"",
    "gantt\n  title <img src=http://HOST/m19.png onerror=alert(1)>\n  section S\n  T :a1, 2024-01-01, 3d\n"
    "  click a1 href \"javascript:alert(1)\"",
    "pie title <script>alert(1)</script>\n  \"<img src=x onerror=alert(1)>\" : 1\n  \"b\" : 2",
    "mindmap\n  root((\"<img src=http://HOST/m21.png onerror=alert(1)>\"))\n    a",
    "journey\n  title <iframe src=javascript:alert(1)>\n  section s\n    t: 5: <b onclick=alert(1)>x</b>",
};

}
