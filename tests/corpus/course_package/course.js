// What the course player needs to know of this course, written by the converter.
window.rdCourse = {
  "passMark": 80,
  "files": [
    {},
    {"page": "page2.htm"},
    {"page": "page3.htm"},
    {"test": "test1.htm", "data": "testdata1.htm"},
    {},
    {"page": "page7.htm"},
    {"test": "test2.htm", "data": "testdata2.htm"},
    {"page": "page10.htm"}
  ]
};
